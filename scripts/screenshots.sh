#!/usr/bin/env bash
# Pictures of every surface a person sees, on a private display: builds, then runs
# scripts/screenshots.py (the banners) and orvane-gui-screenshots (the windows, light
# and dark) in a private desktop session with dunst as the notification server. Needs TCP port 17431 free (the program runs as it would for a user).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target orvane orvane-desktop orvane-phone orvane-screenshot orvane-gui-screenshots
tests/desktop/session_env.sh --server dunst python3 scripts/screenshots.py build/bin
# The desktop program's surfaces, light and dark, through its real windows. Qt Quick
# draws with its software renderer: the private X server has no GPU.
tests/desktop/session_env.sh --server dunst env QT_QUICK_BACKEND=software \
  build/bin/orvane-gui-screenshots build/screenshots build/bin
