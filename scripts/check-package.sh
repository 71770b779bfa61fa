#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the Debian packages from a build folder, checks them with lintian,
# installs them with dpkg into a staging root (whose package database is a
# copy of this machine's) and checks the installed tree, not the build
# tree: the programs, the man pages, pkg-config and find_package against the
# installed library, the file magic and the Python module.
#   scripts/check-package.sh BUILD [PAGE]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "check-package: $*" >&2; exit 1; }

scripts/make-debs.sh "$build" "$work/deb" ${2:+"$2"} >/dev/null
for deb in "$work"/deb/*.deb; do
  echo "package: $(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"
done
# Errors and warnings fail; the overrides in the packages say why they are there.
lintian --tag-display-limit 0 "$work"/deb/*.deb 2>&1 | grep -v "root privileges" || true
lintian --fail-on error,warning "$work"/deb/*.deb >/dev/null 2>&1 || fail "lintian reports errors or warnings"

root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
cp /var/lib/dpkg/status "$root/var/lib/dpkg/status"
touch "$root/var/lib/dpkg/available"
install_debs() {
  dpkg --root="$root" --log=/dev/null --force-script-chrootless --force-not-root --no-triggers -i "$@" \
    >"$work/dpkg.log" 2>&1
}
# qx1 alone cannot be installed: it needs the library package.
if install_debs "$work"/deb/qx1_*.deb; then fail "qx1 installs without libqx1-1"; fi
grep "depends on libqx1-1" "$work/dpkg.log" >/dev/null || fail "qx1 does not depend on libqx1-1"
install_debs "$work"/deb/*.deb || fail "the packages do not install: $(grep -v 'files list file' "$work/dpkg.log")"
usr="$root/usr"
lib="$usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)"
export LD_LIBRARY_PATH="$lib"
for package in libqx1-1 libqx1-dev qx1 python3-qx1; do
  [ -f "$usr/share/doc/$package/copyright" ] || fail "$package has no copyright file"
done

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
flags=$(pkg-config --cflags --libs qx1 | xargs)
[ "$flags" = "-lqx1" ] || fail "pkg-config --cflags --libs qx1 prints $flags"
cc examples/list_archive.c $(PKG_CONFIG_SYSROOT_DIR="$root" pkg-config --cflags --libs qx1) -o "$work/pc-example"
"$work/pc-example" examples/sample.qx1 | grep "1460 bytes read" >/dev/null || fail "pkg-config example"
cmake -S packaging/consumer -B "$work/consumer" -DCMAKE_PREFIX_PATH="$usr" >/dev/null
cmake --build "$work/consumer" >/dev/null
"$work/consumer/list_archive" examples/sample.qx1 | grep "211 bytes read" >/dev/null || fail "find_package example"

magic="$usr/share/qx1/magic/qx1"
file -m "$magic" examples/sample.qx1 | grep "Quexel .qx1 archive" >/dev/null || fail "file magic (archive)"
(cd examples/sample && "$usr/bin/qxenc" -q --sfx="$usr/bin/qxdec" "$work/sfx.bin" readme.txt)
file -m "$magic" "$work/sfx.bin" | grep "self-extracting" >/dev/null || fail "file magic (self-extracting): $(file -m "$magic" "$work/sfx.bin")"
[ -z "${2:-}" ] || cmp -s "$2" "$usr/share/qx1/qx1.html" || fail "the page is not installed as /usr/share/qx1/qx1.html"
[ -f "$usr/share/mime/packages/qx1.xml" ] && [ -f "$usr/share/bash-completion/completions/qx" ] || fail "MIME, completion"

PYTHONPATH="$usr/lib/python3/dist-packages" /usr/bin/python3 -c '
import qx1
with qx1.open("examples/sample.qx1") as a:
    assert [e.name for e in a.entries][1] == "docs/notes.txt"
    assert a.read("readme.txt").startswith(b"This folder")
' || fail "Python module"
echo "installed package checked"
