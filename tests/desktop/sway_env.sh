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

# Functions called from traps and through until_true look unreachable to shellcheck.
# shellcheck disable=SC2317
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
env_name=sway_env
patience=${SWAY_ENV_PATIENCE:-20}  # seconds sway may take to start
user=65534                          # nobody
# shellcheck source=../support/service_env.sh
source "$here/../support/service_env.sh"

[ $# -gt 0 ] || die "usage: $0 COMMAND [ARG...]"
[ "$(id -u)" -eq 0 ] || die "needs root (sway runs as another user)"
require_tools sway setpriv wl-copy wl-paste

work=$(mktemp -d /tmp/orvane-sway-env.XXXXXX)
sway_pid=""
cleanup() {
  local status=$?
  trap - EXIT INT TERM
  if [ -n "$sway_pid" ]; then
    kill -TERM "$sway_pid" 2>/dev/null || true
    wait "$sway_pid" 2>/dev/null || true
  fi
  finish "$status"
}
trap cleanup EXIT
trap_signals

# The runtime folder is sway's user's own; the folder around it (with the log) only
# lets that user pass through.
runtime=$work/runtime
mkdir "$runtime"
chmod 711 "$work"
chown "$user:$user" "$runtime"
chmod 700 "$runtime"
# setpriv execs sway, so $! is sway itself.
XDG_RUNTIME_DIR=$runtime HOME=/tmp WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  setpriv --reuid="$user" --regid="$user" --clear-groups sway -c /dev/null >"$work/sway.log" 2>&1 </dev/null 9>&- &
sway_pid=$!

# sway names its socket wayland-N after the first free N; the .lock beside it comes first.
socket=""
wayland_socket() {
  local candidate
  for candidate in "$runtime"/wayland-*; do
    if [ -S "$candidate" ]; then
      socket=$(basename "$candidate")
      return 0
    fi
  done
  return 1
}
until_true "sway's Wayland socket (log: $work/sway.log)" "$sway_pid" wayland_socket

export XDG_RUNTIME_DIR=$runtime
export WAYLAND_DISPLAY=$socket
export QT_QPA_PLATFORM=wayland
unset DISPLAY
run_command "$@"
