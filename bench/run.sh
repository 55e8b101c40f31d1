#!/usr/bin/env bash
# Runs every benchmark program, each against its own reference in the same run.
# Use through "bash build.sh bench", which builds them optimised first. Ends 0
# when every benchmark met its targets, 1 when one did not.
set -euo pipefail
bin=${BENCH_BIN:-build-bench/bench}
status=0
ran=0
for b in "$bin"/bench_*; do
  # Only the programs: the build keeps folders of generated code beside them.
  [ -f "$b" ] && [ -x "$b" ] || continue
  ran=$((ran + 1))
  echo "=== $(basename "$b")"
  if ! QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$b"; then
    echo "*** $(basename "$b") missed a target or failed"
    status=1
  fi
  echo
done
if [ "$ran" -eq 0 ]; then
  echo "no benchmark programs in $bin" >&2
  exit 1
fi
exit $status
