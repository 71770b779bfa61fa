#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the Windows installer and portable zip and tries them under wine in
# a fresh prefix, as a user would: a silent install, the programs from the
# PATH it sets (wildcards and "\" in patterns as Windows users type them), a
# silent uninstall that leaves no file, no PATH entry and no registry key,
# and the programs from the unpacked zip.
#   scripts/check-windows.sh BUILD [PAGE]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
page=${2:-}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
work=$(mktemp -d)
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all

fail() { echo "check-windows: $*" >&2; exit 1; }
w() { "$wine" "$@" 2>/dev/null | tr -d '\r'; }

mapfile -t made < <(scripts/make-windows-dist.sh "$build" "$work/dist" $page)
setup=${made[0]} zip=${made[1]}
echo "windows: $(basename "$setup") ($(stat -c %s "$setup") bytes), $(basename "$zip")"

# A PATH of the user's own, which the uninstaller must leave as it was.
w reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d 'C:\tools' /f >/dev/null
w "$setup" /S
"$wineserver" -w
folder="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/qx1"
for file in qx.exe qxdec.exe qxenc.exe LICENSE.txt uninstall.exe ${page:+qx1.html}; do
  [ -f "$folder/$file" ] || fail "the installer did not install $file"
done
w reg query 'HKCU\Environment' /v Path | grep -F 'C:\tools;C:\users' >/dev/null || fail "PATH: $(w reg query 'HKCU\Environment' /v Path)"
w reg query 'HKCU\Software\Classes\qx1.archive\shell\open\command' | grep -F 'qx.exe" list "%1"' >/dev/null ||
  fail ".qx1 is not registered"

mkdir "$work/try"
cp examples/sample.qx1 "$work/try/a.qx1"
cp examples/sample.qx1 "$work/try/b.qx1"
cd "$work/try"
# From the PATH the installer set: the shell leaves *.qx1 to qx.exe.
tested=$(w cmd /c 'qx.exe test *.qx1')
[ "$(echo "$tested" | tail -1)" = "2 archives: 2 decoded without error, 0 failed" ] || fail "qx.exe test *.qx1: $tested"
w cmd /c 'qx.exe extract a.qx1 docs\notes.txt -o out' >/dev/null
[ -f out/docs/notes.txt ] && [ ! -e out/readme.txt ] || fail "qx.exe extract a.qx1 docs\\notes.txt: $(find out)"
w cmd /c 'qx.exe list a.qx1' | grep 'docs/notes.txt' >/dev/null || fail "qx.exe list"
! w cmd /c 'qx.exe --help' | grep convert >/dev/null || fail "qx.exe --help names convert, which the build leaves out"
cd - >/dev/null

w "$folder/uninstall.exe" /S
"$wineserver" -w
[ ! -e "$folder" ] || fail "the uninstaller left $(find "$folder")"
[ "$(w reg query 'HKCU\Environment' /v Path | sed -n 's/.*REG_EXPAND_SZ *//p')" = 'C:\tools' ] ||
  fail "the uninstaller left PATH as $(w reg query 'HKCU\Environment' /v Path)"
for key in 'HKCU\Software\Classes\.qx1' 'HKCU\Software\Classes\qx1.archive' \
           'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\qx1'; do
  ! w reg query "$key" >/dev/null 2>&1 || fail "the uninstaller left $key"
done

(cd "$work" && python3 -m zipfile -e "$zip" portable)
portable=$(ls -d "$work"/portable/*)
w "$portable/qx.exe" list examples/sample.qx1 | grep 'docs/notes.txt' >/dev/null || fail "the portable qx.exe"
echo "windows installer and portable zip checked"
