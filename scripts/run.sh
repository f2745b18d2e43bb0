#!/usr/bin/env bash
# Starts Orvane: the desktop program (tray icon and windows) when a display is there,
# otherwise the headless front end in this terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/bin/orvane
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin" "$@"
fi
exec "$bin" --headless "$@"
