#!/usr/bin/env bash
# Pictures of every surface a person sees, on a private display: builds, then runs
# scripts/screenshots.py in a private desktop session with dunst as the notification
# server. Needs TCP port 17431 free (the program runs as it would for a user).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target orvane orvane-desktop orvane-phone orvane-screenshot
tests/desktop/session_env.sh --server dunst python3 scripts/screenshots.py build/bin
