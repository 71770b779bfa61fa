#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package from a build folder, unpacks it into a staging
# root and checks the installed tree, not the build tree: the programs, the
# man pages, pkg-config and find_package against the installed library, the
# file magic and the Python module.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/qx1_*.deb)
echo "package: $(basename "$deb")"
dpkg-deb --info "$deb" | grep -E "Package|Depends"
root="$work/root"
dpkg -x "$deb" "$root"
usr="$root/usr"
lib=$(dirname "$(find "$usr" -name 'libqx1.so.1' | head -1)")
export LD_LIBRARY_PATH="$lib"

fail() { echo "check-package: $*" >&2; exit 1; }

"$usr/bin/qx" --version | grep "^qx " >/dev/null || fail "qx --version"
"$usr/bin/qx" list examples/sample.qx1 | grep "docs/notes.txt" >/dev/null || fail "qx list"
[ -L "$lib/libqx1.so" ] && [ -f "$lib/libqx1.a" ] || fail "library links and archive"
objdump -p "$lib/libqx1.so.1" | grep "SONAME *libqx1.so.1" >/dev/null || fail "SONAME"
for kit in schema/list.schema.json schema/verify.schema.json preservation/qx1-signature.xml preservation/tika-mimetypes.xml; do
  [ -f "$usr/share/qx1/$kit" ] || fail "$kit is not installed"
done

for page in "$usr"/share/man/man1/qx.1* "$usr"/share/man/man1/qxdec.1* "$usr"/share/man/man1/qxenc.1* \
            "$usr"/share/man/man3/qx1.3*; do
  warnings=$(zcat -f "$page" | groff -ww -z -man 2>&1)
  [ -z "$warnings" ] || fail "$page: $warnings"
  MANWIDTH=80 man -l "$page" >/dev/null 2>&1 || fail "man -l $page"
done

export PKG_CONFIG_PATH="$lib/pkgconfig"
cc examples/list_archive.c $(pkg-config --cflags --libs qx1) -o "$work/pc-example"
"$work/pc-example" examples/sample.qx1 | grep "1460 bytes read" >/dev/null || fail "pkg-config example"
cmake -S packaging/consumer -B "$work/consumer" -DCMAKE_PREFIX_PATH="$usr" >/dev/null
cmake --build "$work/consumer" >/dev/null
"$work/consumer/list_archive" examples/sample.qx1 | grep "211 bytes read" >/dev/null || fail "find_package example"

magic="$usr/share/qx1/magic/qx1"
file -m "$magic" examples/sample.qx1 | grep "Quexel .qx1 archive" >/dev/null || fail "file magic (archive)"
(cd examples/sample && "$usr/bin/qxenc" -q --sfx="$usr/bin/qxdec" "$work/sfx.bin" readme.txt)
file -m "$magic" "$work/sfx.bin" | grep "self-extracting" >/dev/null || fail "file magic (self-extracting): $(file -m "$magic" "$work/sfx.bin")"
[ -f "$usr/share/mime/packages/qx1.xml" ] && [ -f "$usr/share/bash-completion/completions/qx" ] || fail "MIME, completion"

PYTHONPATH="$usr/lib/python3/dist-packages" /usr/bin/python3 -c '
import qx1
with qx1.open("examples/sample.qx1") as a:
    assert [e.name for e in a.entries][1] == "docs/notes.txt"
    assert a.read("readme.txt").startswith(b"This folder")
' || fail "Python module"
echo "installed package checked"
