#!/usr/bin/env bash
# Starts Orvane: the desktop program when a display is available, otherwise the
# headless front end in this terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/bin/orvane
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && "$bin" --help 2>/dev/null | grep -q -- '--gui'; then
  exec "$bin" "$@"
fi
exec "$bin" --headless "$@"
