#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs, with apt-get from Debian's packages, what is missing to build the
# programs (scripts/setup.sh) or to build and run every test as well
# (scripts/setup.sh --tests). Installs nothing when all is there; installing
# needs root, and without it the script names what is missing.
set -euo pipefail

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v make >/dev/null || need+=(make)
[ -f /usr/include/openssl/evp.h ] || need+=(libssl-dev)
[ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
[ -f /usr/include/archive.h ] || need+=(libarchive-dev)
command -v pkg-config >/dev/null || need+=(pkg-config)
if [ "${1:-}" = --tests ]; then
  [ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
  [ -x /usr/bin/python3 ] || need+=(python3)
  for package in python3-jsonschema python3-build python3-setuptools python3-wheel python3-venv python3-dask \
                 python3-distributed parallel; do
    dpkg -s "$package" >/dev/null 2>&1 || need+=("$package")
  done
  command -v groff >/dev/null || need+=(groff-base)
  command -v man >/dev/null || need+=(man-db)
  command -v file >/dev/null || need+=(file)
  command -v dpkg-shlibdeps >/dev/null || need+=(dpkg-dev)
  command -v lintian >/dev/null || need+=(lintian)
  command -v makensis >/dev/null || need+=(nsis)
  command -v objdump >/dev/null || need+=(binutils)
  command -v emcc >/dev/null || need+=(emscripten)
  command -v clang++ >/dev/null || need+=(clang)
  [ -n "$(ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a 2>/dev/null)" ] || need+=(libclang-rt-dev)
  [ -x /usr/bin/chromium ] || need+=(chromium)
  [ -d /usr/share/fonts/opentype/ipafont-gothic ] || need+=(fonts-ipafont-gothic)
  command -v node >/dev/null && command -v npm >/dev/null || need+=(nodejs npm)
  command -v x86_64-w64-mingw32-g++ >/dev/null || need+=(g++-mingw-w64-x86-64-win32)
  command -v i686-w64-mingw32-g++ >/dev/null || need+=(g++-mingw-w64-i686-win32)
  wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
  [ -x "$wine" ] || need+=(wine64)
fi
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "scripts/setup.sh: missing ${need[*]}; run as root to install them" >&2
    exit 1
  fi
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}"
fi

