#!/usr/bin/env bash
# Runs a command in a private desktop session with a notification server:
#
#   tests/desktop/session_env.sh --server dunst build/bin/test_notifications --gtest_filter='Dunst*'
#
# starts Xvfb (through x11_env.sh), a private session bus whose address it exports as
# DBUS_SESSION_BUS_ADDRESS, and the server named by --server, waits until that owns
# org.freedesktop.Notifications, runs the command and, whatever it did, stops everything
# it started. Exits with the command's status. The servers:
#   dunst   the real thing, on the private display; dunstctl shows what it holds
#   mock    python-dbusmock's notification daemon, which logs the calls it takes and
#           sends the signals it is told to send (org.freedesktop.DBus.Mock)
#   none    nothing owns the name until the command starts a server
#
# The command finds this script in ORVANE_SESSION_ENV to swap the server, each call
# returning once the name has gone or has its new owner:
#   "$ORVANE_SESSION_ENV" stop-server
#   "$ORVANE_SESSION_ENV" start-server mock [CAPABILITY...]
# The mock offers the capabilities given, or its own defaults when none are.
#
# Needs no root: the display, the bus and the server are private to this run.

# Functions called from traps and through until_true look unreachable to shellcheck.
# shellcheck disable=SC2317
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
self=$here/$(basename "${BASH_SOURCE[0]}")
patience=${SESSION_ENV_PATIENCE:-20}  # seconds any start or stop may take
# dbusmock is a Debian package, so the system's Python, not whichever comes first on PATH.
python=${SESSION_ENV_PYTHON:-/usr/bin/python3}

env_name=session_env
# shellcheck source=../support/service_env.sh
source "$here/../support/service_env.sh"

server_owned() {
  dbus-send --session --print-reply --reply-timeout=1000 --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications | grep -q 'boolean true'
}

server_gone() { ! server_owned && [ ! -e "$SESSION_ENV_WORK/server.pid" ]; }

inside() {
  if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] || [ -z "${SESSION_ENV_WORK:-}" ]; then
    die "$1: run inside $self"
  fi
}

start_server() {
  inside start-server
  local kind=${1:-}
  shift || true
  [ -e "$SESSION_ENV_WORK/server.pid" ] && die "start-server: a server is already running"
  # Output goes to a file and nothing of the caller's is inherited, so a caller that
  # reads this script's output is not kept waiting by the server that outlives it.
  case "$kind" in
    dunst)
      # An empty configuration: dunst's own defaults, whatever the user running the tests has.
      : >"$SESSION_ENV_WORK/dunstrc"
      dunst -config "$SESSION_ENV_WORK/dunstrc" >>"$SESSION_ENV_WORK/dunst.log" 2>&1 </dev/null &
      ;;
    mock)
      local parameters=()
      [ $# -gt 0 ] && parameters=(-p "{\"capabilities\": \"$*\"}")
      "$python" -m dbusmock --session -t notification_daemon "${parameters[@]}" \
        >>"$SESSION_ENV_WORK/mock.log" 2>&1 </dev/null &
      ;;
    *) die "start-server: dunst or mock, not '$kind'" ;;
  esac
  local pid=$!
  echo "$pid" >"$SESSION_ENV_WORK/server.pid"
  until_true "$kind start (log: $SESSION_ENV_WORK/$kind.log)" "$pid" server_owned
}

stop_server() {
  inside stop-server
  stop_recorded "$SESSION_ENV_WORK/server.pid" "the notification server"
  until_true "org.freedesktop.Notifications released" "" server_gone
}

case "${1:-}" in
  start-server) shift; start_server "$@"; exit 0 ;;
  stop-server) stop_server; exit 0 ;;
  "" | -h | --help) die "usage: $0 [--server dunst|mock|none] COMMAND [ARG...] | start-server KIND [CAPABILITY...] | stop-server" ;;
esac

server=mock
if [ "$1" = --server ]; then
  [ $# -ge 2 ] || die "--server needs dunst, mock or none"
  server=$2
  shift 2
fi
[ $# -gt 0 ] || die "no command to run"

# The display first: x11_env.sh starts Xvfb and runs the rest of this script inside it.
if [ -z "${SESSION_ENV_DISPLAY_READY:-}" ]; then
  export SESSION_ENV_DISPLAY_READY=1
  exec "$here/x11_env.sh" "$self" --server "$server" "$@"
fi

require_tools dbus-daemon dbus-send gdbus dunst dunstctl
"$python" -c 'import dbusmock' 2>/dev/null || die "python3-dbusmock is missing for $python; run scripts/install-deps.sh"

work=$(mktemp -d /tmp/orvane-session-env.XXXXXX)
cleanup() {
  local status=$?
  trap - EXIT INT TERM
  # The server may have been swapped by the command, so it is stopped by its pid file.
  if [ -e "$work/server.pid" ]; then
    kill "$(cat "$work/server.pid")" 2>/dev/null || true
  fi
  finish "$status"
}
trap cleanup EXIT
trap_signals

export SESSION_ENV_WORK=$work
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/session_bus_socket"
export ORVANE_SESSION_ENV=$self

start_private_bus session "$here/session_env_bus.conf"

case "$server" in
  dunst | mock) start_server "$server" ;;
  none) ;;
  *) die "--server: dunst, mock or none, not '$server'" ;;
esac

run_command "$@"
