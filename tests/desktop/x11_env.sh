#!/usr/bin/env bash
# Runs a command against a private X server:
#
#   tests/desktop/x11_env.sh build/bin/test_desktop --gtest_filter='X11*'
#
# starts Xvfb on a display it picks free itself, runs the command with DISPLAY set to it
# (and Qt on xcb, with no Wayland display in sight) and, whatever the command did, stops
# the server, which ends every client left (xclip serving its selection). Exits with the
# command's status.

# Functions called from traps and through until_true look unreachable to shellcheck.
# shellcheck disable=SC2317
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
env_name=x11_env
patience=${X11_ENV_PATIENCE:-20}  # seconds the server may take to start
# shellcheck source=../support/service_env.sh
source "$here/../support/service_env.sh"

[ $# -gt 0 ] || die "usage: $0 COMMAND [ARG...]"
require_tools Xvfb xclip

work=$(mktemp -d /tmp/orvane-x11-env.XXXXXX)
server_pid=""
cleanup() {
  local status=$?
  trap - EXIT INT TERM
  if [ -n "$server_pid" ]; then
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  finish "$status"
}
trap cleanup EXIT
trap_signals

# -displayfd: Xvfb takes the first free display and writes its number once it accepts
# clients, so there is neither a race for a number nor a guess at readiness.
Xvfb -displayfd 3 -nolisten tcp -screen 0 640x480x24 3>"$work/display" >"$work/xvfb.log" 2>&1 </dev/null 9>&- &
server_pid=$!
until_true "Xvfb start (log: $work/xvfb.log)" "$server_pid" grep -q '^[0-9]' "$work/display"

display=$(head -n1 "$work/display")
export DISPLAY=":$display"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
run_command "$@"
