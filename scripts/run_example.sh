#!/usr/bin/env bash
# Sets up the machine, builds the Python module (in the normal build of
# scripts/test.sh) and runs examples/solve.py, which solves the example models
# through the module and prints their results.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/setup.sh

cmake -S . -B build/release -G Ninja -DPython3_EXECUTABLE="$(command -v "$python")" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release --target Quenda -j "$(nproc)" >/dev/null
PYTHONPATH=build/release/bin "$python" examples/solve.py
