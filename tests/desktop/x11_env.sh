#!/usr/bin/env bash
# Runs a command against a private X server:
#
#   tests/desktop/x11_env.sh build/bin/test_desktop --gtest_filter='X11*'
#
# starts Xvfb on a display it picks free itself, runs the command with DISPLAY set to it
# (and Qt on xcb, with no Wayland display in sight) and, whatever the command did, stops
# the server, which ends every client left (xclip serving its selection). Exits with the
# command's status.

# Functions called from traps look unreachable to shellcheck.
# shellcheck disable=SC2317
set -euo pipefail

patience=${X11_ENV_PATIENCE:-20}  # seconds the server may take to start

die() {
  echo "x11_env: $*" >&2
  exit 2
}

[ $# -gt 0 ] || die "usage: $0 COMMAND [ARG...]"
for tool in Xvfb xclip; do
  command -v "$tool" >/dev/null || die "$tool is missing; run scripts/install-deps.sh"
done

work=$(mktemp -d /tmp/orvane-x11-env.XXXXXX)
server_pid=""
child=""
cleanup() {
  local status=$?
  trap - EXIT INT TERM
  if [ -n "$child" ]; then
    kill -TERM "$child" 2>/dev/null || true
    wait "$child" 2>/dev/null || true
  fi
  if [ -n "$server_pid" ]; then
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  if [ "$status" -ne 0 ] && [ -s "$work/xvfb.log" ]; then
    { echo "--- Xvfb log"; tail -n 30 "$work/xvfb.log"; } >&2
  fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# -displayfd: Xvfb takes the first free display and writes its number once it accepts
# clients, so there is neither a race for a number nor a guess at readiness.
Xvfb -displayfd 3 -nolisten tcp -screen 0 640x480x24 3>"$work/display" >"$work/xvfb.log" 2>&1 </dev/null &
server_pid=$!
end=$((SECONDS + patience))
until grep -q '^[0-9]' "$work/display" 2>/dev/null; do
  kill -0 "$server_pid" 2>/dev/null || die "Xvfb exited (log: $work/xvfb.log)"
  [ "$SECONDS" -lt "$end" ] || die "Xvfb not ready after ${patience}s"
  sleep 0.02
done

display=$(head -n1 "$work/display")
export DISPLAY=":$display"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
set +e
"$@" &
child=$!
wait "$child"
status=$?
child=""
set -e
exit "$status"
