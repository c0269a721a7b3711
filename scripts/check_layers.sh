#!/usr/bin/env bash
# The solver sources stand in one folder per stage, and a stage includes
# only its own headers and those of the stages below it:
#   math < expr < compile < xml < solvers < plots
# (math serves both value types and includes no stage; the XML model reader
# is a compiler, which the solvers call). Fails naming every include that
# reaches upward. A header of another library with the same folder name
# (Brennic's <xml/...>) is not a stage's.
set -euo pipefail
src=$(cd "$(dirname "$0")/../solver/core/src" && pwd)
stages=(math expr compile xml solvers plots)
status=0
for ((i = 0; i < ${#stages[@]}; ++i)); do
  [ -d "$src/${stages[i]}" ] || continue
  above=$(IFS='|'; echo "${stages[*]:i+1}")
  [ -n "$above" ] || continue
  upward=0
  while IFS= read -r hit; do
    header=$(sed -E 's/^[^:]*:[^:]*:[^<"]*[<"]([.][.]\/)*([^>"]+)[>"].*/\2/' <<<"$hit")
    [ -f "$src/$header" ] || continue
    echo "$hit"
    upward=1
  done < <(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]([.][.]/)*($above)/" "$src/${stages[i]}" || true)
  if ((upward)); then
    echo "check_layers: a file of ${stages[i]}/ includes a header of a later stage ($above)" >&2
    status=1
  fi
done
exit $status
