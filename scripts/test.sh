#!/usr/bin/env bash
# Sets up a fresh machine (scripts/setup.sh), checks the formatting and the
# layers of the solver sources, then builds and runs every test in a normal
# and in a sanitizer build, and fuzzes every reader briefly.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)

. scripts/setup.sh

run_flavour() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DPython3_EXECUTABLE="$(command -v "$python")" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --no-tests=error
}

echo "== formatting"
unformatted=$(git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run 2>&1 | grep -o '^[^:]*:[0-9]*:[0-9]*: warning' | cut -d: -f1 | sort -u || true)
if [ -n "$unformatted" ]; then
  echo "not formatted with .clang-format (run clang-format -i on them):"
  echo "$unformatted"
  exit 1
fi

echo "== layers of the solver sources"
scripts/check_layers.sh

echo "== normal build"
run_flavour build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== sanitizer build"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_flavour build/asan -DCMAKE_BUILD_TYPE=Debug -DENABLE_SANITIZERS=ON -DBUILD_BENCHMARKS=OFF
echo "== fuzzing, about 30 s per target"
scripts/fuzz.sh 30
