#!/usr/bin/env bash
# Sets up a fresh machine (idempotent, quick when all is there), then builds
# and runs every test in a normal and in a sanitizer build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)

apt_packages=(build-essential cmake ninja-build pkg-config python3-dev locales clang-format
              libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev uuid-dev libsuitesparse-dev)
missing=()
for p in "${apt_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi

python=${PYTHON:-python3}
if ! "$python" -c 'import pybind11, pytest, sys; sys.exit(int(pybind11.version_info[0] < 3))' 2>/dev/null; then
  "$python" -m pip install -q "pybind11>=3,<4" pytest
fi

# A decimal-comma locale for the locale-independence tests.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
  localedef -i de_DE -f UTF-8 de_DE.UTF-8 2>/dev/null || true
fi

run_flavour() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DPython3_EXECUTABLE="$(command -v "$python")" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --no-tests=error
}

echo "== formatting"
unformatted=$(git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run 2>&1 | grep -o '^[^:]*: warning' | cut -d: -f1 | sort -u || true)
if [ -n "$unformatted" ]; then
  echo "not formatted with .clang-format (run clang-format -i on them):"
  echo "$unformatted"
  exit 1
fi

echo "== normal build"
run_flavour build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== sanitizer build"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_flavour build/asan -DCMAKE_BUILD_TYPE=Debug -DENABLE_SANITIZERS=ON -DBUILD_BENCHMARKS=OFF
