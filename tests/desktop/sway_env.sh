#!/usr/bin/env bash
# Runs a command against a private, headless sway:
#
#   tests/desktop/sway_env.sh build/bin/test_desktop --gtest_filter='Sway*'
#
# starts sway without outputs or input devices as an unprivileged user (sway refuses to
# run as root) in a runtime folder of its own, waits for its Wayland socket, runs the
# command with XDG_RUNTIME_DIR and WAYLAND_DISPLAY set to it (and Qt on Wayland, with no
# X display in sight) and, whatever the command did, stops sway, which ends every client
# left (wl-copy serving its text), and removes the folder. Root, which runs the command,
# may connect to the socket of the other user. Exits with the command's status.

# Functions called from traps look unreachable to shellcheck.
# shellcheck disable=SC2317
set -euo pipefail

patience=${SWAY_ENV_PATIENCE:-20}  # seconds sway may take to start
user=65534                          # nobody

die() {
  echo "sway_env: $*" >&2
  exit 2
}

[ $# -gt 0 ] || die "usage: $0 COMMAND [ARG...]"
[ "$(id -u)" -eq 0 ] || die "needs root (sway runs as another user)"
for tool in sway setpriv wl-copy wl-paste; do
  command -v "$tool" >/dev/null || die "$tool is missing; run scripts/install-deps.sh"
done

runtime=$(mktemp -d /tmp/orvane-sway-env.XXXXXX)
log=$(mktemp /tmp/orvane-sway-env-log.XXXXXX)
sway_pid=""
child=""
cleanup() {
  local status=$?
  trap - EXIT INT TERM
  if [ -n "$child" ]; then
    kill -TERM "$child" 2>/dev/null || true
    wait "$child" 2>/dev/null || true
  fi
  if [ -n "$sway_pid" ]; then
    kill -TERM "$sway_pid" 2>/dev/null || true
    wait "$sway_pid" 2>/dev/null || true
  fi
  if [ "$status" -ne 0 ] && [ -s "$log" ]; then
    { echo "--- sway log"; tail -n 30 "$log"; } >&2
  fi
  rm -rf "$runtime" "$log"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

chown "$user:$user" "$runtime"
chmod 700 "$runtime"
# setpriv execs sway, so $! is sway itself.
XDG_RUNTIME_DIR=$runtime HOME=/tmp WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  setpriv --reuid="$user" --regid="$user" --clear-groups sway -c /dev/null >"$log" 2>&1 </dev/null &
sway_pid=$!

# sway names its socket wayland-N after the first free N; the .lock beside it comes first.
socket=""
end=$((SECONDS + patience))
while [ -z "$socket" ]; do
  kill -0 "$sway_pid" 2>/dev/null || die "sway exited (log: $log)"
  [ "$SECONDS" -lt "$end" ] || die "no Wayland socket after ${patience}s"
  for candidate in "$runtime"/wayland-*; do
    if [ -S "$candidate" ]; then
      socket=$(basename "$candidate")
      break
    fi
  done
  [ -n "$socket" ] || sleep 0.02
done

export XDG_RUNTIME_DIR=$runtime
export WAYLAND_DISPLAY=$socket
export QT_QPA_PLATFORM=wayland
unset DISPLAY
set +e
"$@" &
child=$!
wait "$child"
status=$?
child=""
set -e
exit "$status"
