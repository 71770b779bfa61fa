#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the Windows downloads from a 64-bit cross build: the installer
# (NSIS's makensis) and a portable zip of the same files.
#   scripts/make-windows-dist.sh BUILD OUTDIR [PAGE]   (PAGE: the single-file qx1.html)
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
page=${3:+$(cd "$(dirname "$3")" && pwd)/$(basename "$3")}
version=$(sed -n 's/^project(qxdec VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
name=qx1-$version-windows-x86_64

makensis -V2 -DVERSION="$version" -DBIN="$build" -DSOURCE="$source" -DOUT="$out/$name-setup.exe" \
    ${page:+-DPAGE="$page"} "$source/packaging/windows/qx1.nsi"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/$name"
cp "$build/qx.exe" "$build/qxdec.exe" "$build/qxenc.exe" "$work/$name/"
cp "$source/LICENSE" "$work/$name/LICENSE.txt"
[ -z "$page" ] || cp "$page" "$work/$name/qx1.html"
rm -f "$out/$name.zip"
(cd "$work" && python3 -m zipfile -c "$out/$name.zip" "$name")
echo "$out/$name-setup.exe"
echo "$out/$name.zip"
