#!/usr/bin/env bash
# Sets up a fresh machine for building and testing (idempotent, quick when
# all is there). Sourced by the other scripts from the repository root; sets
# `python` to the interpreter the Python module is built for.

# clang-16 and its runtimes build the fuzz flavour (scripts/fuzz.sh);
# python3-venv holds the peer's packages of bench/stateestimation.py.
apt_packages=(build-essential cmake ninja-build pkg-config python3-dev python3-venv locales clang-format
              libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev uuid-dev libsuitesparse-dev
              clang-16 libclang-rt-16-dev)
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
