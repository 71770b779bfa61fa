#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds everything and runs the whole test suite: the native build, the same
# suite under AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows
# cross builds. Installs what it needs with apt-get when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh --tests

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
jobs=$(nproc)
export TZ=UTC

for target in i686 x86_64; do
  echo "== Windows build ($target-w64-mingw32)"
  cmake -S . -B "build-win-$target" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$target.cmake" -DQX_BUILD_TESTS=OFF
  cmake --build "build-win-$target" -j "$jobs"
done
echo "== the page (WebAssembly)"
(cd web && npm ci --no-audit --no-fund)
emcmake cmake -S . -B build-web
cmake --build build-web -j "$jobs"

# wine makes its prefix on first use; make it once, before tests run in parallel.
export WINEDEBUG=-all
mkdir -p build
WINEPREFIX="$PWD/build/wineprefix" "$wine" build-win-x86_64/qxdec.exe -y >/dev/null 2>&1 || true
windows=(-DQX_WINE="$wine" -DQX_WINDOWS_QXDEC="$PWD/build-win-x86_64/qxdec.exe"
         -DQX_WINDOWS_QXDEC_32="$PWD/build-win-i686/qxdec.exe")

echo "== native build and tests, and the end-to-end tests of the Windows build under wine"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQX_BUILD_TESTS=ON -DQX_PYTHON=/usr/bin/python3 -DQX_PAGE="$PWD/build-web/qx1.html" "${windows[@]}"
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

echo "== the Debian package, checked from its installed tree"
scripts/check-package.sh build build-web/qx1.html
echo "== the Windows installer and portable zip, tried under wine"
scripts/check-windows.sh build-win-x86_64 build-web/qx1.html
echo "== the Python wheel, installed into a fresh venv and tested there"
scripts/check-wheel.sh build

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQX_BUILD_TESTS=ON -DQX_SANITIZE=ON
cmake --build build-sanitize -j "$jobs"
(cd build-sanitize && ctest --output-on-failure -j "$jobs")

echo "== every fuzz target for 60 seconds on its seeds (a crash fails the run; its input stays in build-fuzz/crashes/)"
fuzzers=(archive api roundtrip name select convert)
cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQX_FUZZ=ON -DQX_BUILD_TESTS=OFF
cmake --build build-fuzz -j "$jobs" --target "${fuzzers[@]/#/qxfuzz-}"
mkdir -p build-fuzz/crashes
for target in "${fuzzers[@]}"; do
  mkdir -p "build-fuzz/corpus-$target"
  build-fuzz/qxfuzz-$target -max_total_time=60 -max_len=4096 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix=build-fuzz/crashes/ "build-fuzz/corpus-$target" fuzz/seeds 2>&1 | grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss)" || true
  [ -z "$(ls build-fuzz/crashes)" ] || { echo "qxfuzz-$target found a crash: build-fuzz/crashes/" >&2; exit 1; }
done
echo "== all builds and tests passed"
