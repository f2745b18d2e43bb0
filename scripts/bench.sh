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
echo "== cost of watching a playing player (mpv on a private session bus)"
tests/desktop/mpris_env.sh python3 bench/media_cost.py --bin-dir build-release/bin --seconds "${IDLE_SECONDS:-60}"
