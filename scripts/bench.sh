#!/usr/bin/env bash
# Runs every benchmark of the release build, then gathers the figures held against a
# goal into build/bench/summary.md. Figures, not pass/fail.
set -euo pipefail
cd "$(dirname "$0")/.."
shopt -s nullglob
out=build/bench
mkdir -p "$out"
for b in build-release/bin/*_bench; do
  name=$(basename "$b")
  args=(--benchmark_min_time=0.2 --benchmark_out="$out/$name.json" --benchmark_out_format=json)
  # The codec's figures are held against each other and against the JSON libraries'
  # floors: medians of repetitions, run interleaved so that a slower moment of the
  # machine does not fall on one side only.
  if [ "$name" = codec_bench ]; then
    args+=(--benchmark_repetitions="${CODEC_REPETITIONS:-7}" --benchmark_enable_random_interleaving=true)
  fi
  echo "== $name"
  "$b" "${args[@]}" "$@"
done
echo "== start to listening of orvane --headless"
python3 bench/start_cost.py --bin-dir build-release/bin --json-out "$out/start.json"
echo "== notif_post flood into orvane --headless --json"
python3 bench/flood_cost.py --bin-dir build-release/bin --json-out "$out/flood.json"
echo "== idle cost of orvane --headless"
python3 bench/idle_cost.py --bin-dir build-release/bin --seconds "${IDLE_SECONDS:-60}" --json-out "$out/idle.json"
echo "== cost of watching a playing player (mpv on a private session bus)"
tests/desktop/mpris_env.sh python3 bench/media_cost.py --bin-dir build-release/bin --seconds "${IDLE_SECONDS:-60}"
echo "== the desktop program: start to the hub's first frame, idle with a phone connected (private X server)"
tests/desktop/x11_env.sh python3 bench/gui_cost.py --bin-dir build-release/bin --seconds "${IDLE_SECONDS:-60}" \
  --json-out "$out/gui.json"
echo "== the hub window with 50 notifications, 100 conversations and 40 clipboard entries (private X server)"
tests/desktop/x11_env.sh env QT_QUICK_BACKEND=software build-release/bin/orvane-hub-window-cost build-release/bin \
  --json-out "$out/hub_window.json"
echo "== summary ($out/summary.md)"
python3 bench/summary.py --dir "$out"
