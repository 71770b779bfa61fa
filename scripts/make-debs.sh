#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the Debian packages from a build folder's install tree, split as
# Debian splits a library: libqx1-1, libqx1-dev, qx1 and python3-qx1.
# Binaries are stripped as dh_strip strips them, manual pages and changelogs
# compressed, dependencies found by dpkg-shlibdeps.
#   scripts/make-debs.sh BUILD OUTDIR [PAGE]   (PAGE: the single-file qx1.html)
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
page=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

arch=$(dpkg-architecture -qDEB_HOST_ARCH)
triplet=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
upstream=$(sed -n 's/^project(qxdec VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
version=$upstream-1
libdir=usr/lib/$triplet

stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
[ -f "$stage/$libdir/libqx1.so.1" ] || { echo "make-debs: $build installs no $libdir/libqx1.so.1" >&2; exit 1; }

# Moves the staged paths (relative to the stage) into package $1's tree.
take() {
    local package=$1 path
    shift
    for path in "$@"; do
        mkdir -p "$work/debian/$package/$(dirname "$path")"
        mv "$stage/$path" "$work/debian/$package/$path"
    done
}
take libqx1-1 "$libdir/libqx1.so.1" "$libdir/libqx1.so.$upstream"
take libqx1-dev usr/include "$libdir/libqx1.so" "$libdir/libqx1.a" "$libdir/pkgconfig" "$libdir/cmake" usr/share/man/man3
take qx1 usr/bin usr/share/man/man1 usr/share/bash-completion usr/share/mime usr/share/qx1
take python3-qx1 usr/lib/python3
leftover=$(find "$stage" -type f -o -type l)
[ -z "$leftover" ] || { echo "make-debs: installed but in no package: $leftover" >&2; exit 1; }
if [ -n "$page" ]; then
    install -m 644 "$page" "$work/debian/qx1/usr/share/qx1/qx1.html"
fi

cd "$work"
# dpkg-shlibdeps reads the packages from debian/control and libqx1's
# dependency line from debian/shlibs.local.
printf 'Source: qx1\n\n' >debian/control
for package in libqx1-1 libqx1-dev qx1 python3-qx1; do
    printf 'Package: %s\nArchitecture: any\n\n' "$package" >>debian/control
done
echo "libqx1 1 libqx1-1 (>= $upstream)" >debian/shlibs.local

for package in libqx1-1 libqx1-dev qx1 python3-qx1; do
    tree=debian/$package
    doc=$tree/usr/share/doc/$package
    mkdir -p "$doc" "$tree/DEBIAN"
    install -m 644 "$source/packaging/debian/copyright" "$doc/copyright"
    gzip -9n <"$source/packaging/debian/changelog" >"$doc/changelog.Debian.gz"
    mkdir -p "$tree/usr/share/lintian/overrides"
    sed "/^[a-z]/s/^/$package: /" "$source/packaging/debian/lintian-overrides" \
        >"$tree/usr/share/lintian/overrides/$package"
    find "$tree/usr/share/man" -type f -name '*.[0-9]' -exec gzip -9n {} + 2>/dev/null || true

    # Stripped as dh_strip does: the comment and note sections go, and from
    # the static library only the debugging symbols.
    while IFS= read -r file; do
        case $(file -b "$file") in
            *"current ar archive"*) strip --strip-debug --remove-section=.comment --remove-section=.note \
                                        --enable-deterministic-archives "$file" ;;
            *"shared object"*) strip --remove-section=.comment --remove-section=.note --strip-unneeded "$file" ;;
            *ELF*executable*) strip --remove-section=.comment --remove-section=.note "$file" ;;
        esac
    done < <(find "$tree/usr" -type f \( -path '*/bin/*' -o -name '*.so.*' -o -name '*.a' \))

    find "$tree" -type d -exec chmod 755 {} +
    find "$tree/usr" -type f -exec chmod 644 {} +
    [ ! -d "$tree/usr/bin" ] || chmod 755 "$tree"/usr/bin/*

    shlibs=""
    elves=$(find "$tree/usr" -type f \( -path '*/bin/*' -o -name '*.so.*' \) | sort)
    if [ -n "$elves" ]; then
        # shellcheck disable=SC2086
        dpkg-shlibdeps -O -l"debian/libqx1-1/$libdir" $elves 2>/dev/null |
            sed -n 's/^shlibs:Depends=//p' >"$work/depends"
        shlibs=$(cat "$work/depends")
        [ -n "$shlibs" ] || { echo "make-debs: dpkg-shlibdeps found no dependencies for $package" >&2; exit 1; }
    fi
    if [ "$package" = libqx1-1 ]; then
        echo "libqx1 1 libqx1-1 (>= $upstream)" >"$tree/DEBIAN/shlibs"
        echo "activate-noawait ldconfig" >"$tree/DEBIAN/triggers"
        dpkg-gensymbols -q -p"$package" -P"$tree" -v"$upstream" -O"$tree/DEBIAN/symbols" >/dev/null
        sed -i '1a * Build-Depends-Package: libqx1-dev' "$tree/DEBIAN/symbols"
        chmod 644 "$tree/DEBIAN/shlibs" "$tree/DEBIAN/triggers" "$tree/DEBIAN/symbols"
    fi
    (cd "$tree" && find usr -type f -print0 | sort -z | xargs -0 md5sum >DEBIAN/md5sums)

    size=$(du -k -s --exclude=DEBIAN "$tree" | cut -f1)
    {
        awk -v RS= -v package="$package" '$2 == package { print; exit }' "$source/packaging/debian/control" |
            sed -e "s/@ARCH@/$arch/; s/@VERSION@/$version/; s/@UPSTREAM@/$upstream/; s/@SHLIBS@/$shlibs/" |
            awk -v version="$version" -v size="$size" '
                /^Package:/ { print; print "Source: qx1"; print "Version: " version; next }
                /^Architecture:/ { print; print "Maintainer: qx1 project authors <qx1-project@users.noreply.github.com>";
                                   print "Installed-Size: " size; print "Priority: optional"; next }
                { print }'
    } >"$tree/DEBIAN/control"
    chmod 644 "$tree/DEBIAN/control" "$tree/DEBIAN/md5sums"
    name=${package}_${version}_$(sed -n 's/^Architecture: //p' "$tree/DEBIAN/control").deb
    dpkg-deb --root-owner-group -Zxz --build "$tree" "$out/$name" >/dev/null
    echo "$out/$name"
done
