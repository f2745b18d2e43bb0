#!/usr/bin/env bash
# Runs every benchmark of the release build. Figures, not pass/fail.
set -euo pipefail
cd "$(dirname "$0")/.."
shopt -s nullglob
for b in build-release/bin/*_bench; do
  echo "== $(basename "$b")"
  "$b" --benchmark_min_time=0.2 "$@"
done
echo "== idle cost of orvane --headless"
python3 bench/idle_cost.py --bin-dir build-release/bin --seconds "${IDLE_SECONDS:-60}"
