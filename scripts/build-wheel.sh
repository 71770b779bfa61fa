#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Python wheel with the library of a build folder inside it:
# scripts/build-wheel.sh BUILD gives BUILD/dist/qx1-VERSION-py3-none-PLATFORM.whl.
# Debian's python3-build, python3-setuptools and python3-wheel; nothing is
# fetched from any other registry (--no-isolation).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp -r python/pyproject.toml python/setup.py python/qx1 "$stage/"
rm -rf "$stage/qx1/__pycache__"
cp "$build/libqx1.so.1" "$stage/qx1/libqx1.so.1"
rm -rf "$build/dist"
/usr/bin/python3 -m build --wheel --no-isolation --outdir "$build/dist" "$stage" >"$stage/log" 2>&1 ||
  { cat "$stage/log" >&2; exit 1; }
ls "$build"/dist/*.whl
