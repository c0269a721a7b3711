#!/usr/bin/env bash
# The solver sources stand in one folder per stage, and a stage includes
# only its own headers and those of the stages below it:
#   math < expr < compile < solvers < xml, plots
# (math serves both value types and includes no stage). Fails naming every
# include that reaches upward.
set -euo pipefail
src=$(cd "$(dirname "$0")/../solver/core/src" && pwd)
stages=(math expr compile solvers xml plots)
status=0
for ((i = 0; i < ${#stages[@]}; ++i)); do
  [ -d "$src/${stages[i]}" ] || continue
  above=$(IFS='|'; echo "${stages[*]:i+1}")
  [ -n "$above" ] || continue
  if grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]([.][.]/)*($above)/" "$src/${stages[i]}"; then
    echo "check_layers: a file of ${stages[i]}/ includes a header of a later stage ($above)" >&2
    status=1
  fi
done
exit $status
