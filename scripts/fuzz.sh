#!/usr/bin/env bash
# Runs every fuzz target (or the ones named) for SECONDS each, one after the
# other, in the fuzz flavour build/fuzz (clang, ASan, UBSan, libFuzzer).
#   scripts/fuzz.sh [SECONDS] [TARGET...]        (default 180 s, all targets)
# Each target grows its working corpus in build/fuzz/corpus/<target> from the
# seeds and regression inputs of fuzz/<target>; what it finds (crashes,
# hangs, leaks, failed checks) is kept in build/fuzz/findings/<target>. A
# fixed finding's input belongs in fuzz/<target>/regressions, which the
# normal test run replays. Exits non-zero when any target found something.
# FUZZ_JOBS=n runs n jobs per target in libFuzzer's fork mode, which goes on
# after a finding: a campaign that collects every finding of its time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

seconds=${1:-180}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(model modelobject plots xml xmlmodel numbers sparse)
fi
build=build/fuzz
cc=${FUZZ_CC:-clang-16}
cxx=${FUZZ_CXX:-clang++-16}

# Longest input per target: enough for the structures each reader meets.
declare -A max_len=([model]=4096 [modelobject]=4096 [plots]=4096 [xml]=8192 [xmlmodel]=8192 [numbers]=256 [sparse]=2048)
# Seeds that live elsewhere in the repository (as in fuzz/Targets.cmake).
declare -A more_seeds=([model]=examples/models [modelobject]="examples/models fuzz/model/corpus" [plots]=fuzz/model/corpus)
# A dictionary that serves other targets too.
declare -A dictionary=([modelobject]=fuzz/model.dict [plots]=fuzz/model.dict)

. scripts/setup.sh
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=$cc CXX=$cxx cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENABLE_FUZZING=ON >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=()
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  findings=$build/findings/$target
  log=$build/logs/$target.log
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  seeds=(fuzz/"$target"/corpus ${more_seeds[$target]:-})
  [ -d fuzz/"$target"/regressions ] && seeds+=(fuzz/"$target"/regressions)
  options=()
  dict=${dictionary[$target]:-fuzz/$target.dict}
  [ -f "$dict" ] && options+=(-dict="$dict")
  [ -n "${FUZZ_JOBS:-}" ] && options+=(-fork="$FUZZ_JOBS" -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
  echo "== fuzz $target for ${seconds} s"
  found_before=$(find "$findings" -type f | wc -l)
  status=0
  "$build/bin/fuzz_$target" "$corpus" "${seeds[@]}" "${options[@]}" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -max_len="${max_len[$target]:-4096}" -artifact_prefix="$findings/" -print_final_stats=1 \
    >"$log" 2>&1 || status=$?
  grep -E '^#[0-9]+(:|[[:space:]]+DONE)' "$log" | tail -1 || true
  grep -E '^stat::(number_of_executed_units|new_units_added)' "$log" || true
  if [ $status -ne 0 ] || [ "$(find "$findings" -type f | wc -l)" -ne "$found_before" ]; then
    echo "fuzz_$target found a fault (exit $status); its input is in $findings, the end of its log:"
    grep -v -E '^#[0-9]+[[:space:]]' "$log" | tail -40
    failed+=("$target")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "findings in: ${failed[*]}"
  exit 1
fi
