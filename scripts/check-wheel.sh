#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the wheel of a build folder into a fresh venv and runs the
# module's tests there, with no other libqx1 in sight: the module must load
# the library it carries.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
source=$(pwd)
wheel=$(scripts/build-wheel.sh "$build")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 -m venv "$work/venv"
"$work/venv/bin/pip" install --quiet --no-index "$wheel"
cd "$work"
env -u QX1_LIBRARY -u LD_LIBRARY_PATH QX1_INSTALLED=1 QX="$build/qx" QXENC="$build/qxenc" \
  "$work/venv/bin/python" -c "
import qx1, os
assert os.path.dirname(qx1.library_path) == os.path.dirname(qx1.__file__), qx1.library_path
print(qx1.open(open('$source/examples/sample.qx1', 'rb')).names())
"
env -u QX1_LIBRARY -u LD_LIBRARY_PATH QX1_INSTALLED=1 QX="$build/qx" QXENC="$build/qxenc" \
  "$work/venv/bin/python" -m unittest discover -s "$source/python/tests" -p "test_qx1.py"
echo "wheel checked: $(basename "$wheel")"
