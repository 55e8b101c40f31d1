#!/usr/bin/env bash
# Runs every benchmark program, each against its own reference in the same run.
# Use through "bash build.sh bench", which builds them optimised first.
set -euo pipefail
bin=${BENCH_BIN:-build-bench/bench}
status=0
for b in "$bin"/bench_*; do
  [ -x "$b" ] || continue
  echo "=== $(basename "$b")"
  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$b" || status=1
  echo
done
exit $status
