#!/usr/bin/env bash
# Runs a command beside a stand-in logind:
#
#   tests/desktop/logind_env.sh build/bin/test_logind_wake --gtest_filter='LogindWakeSignalTest.*'
#
# starts a private D-Bus system bus in a temporary folder, exports its address as
# DBUS_SYSTEM_BUS_ADDRESS, starts python-dbusmock's logind on it, waits until it owns
# org.freedesktop.login1, runs the command and, whatever it did, stops everything it
# started. Exits with the command's status.
#
# The command makes logind sleep and wake through the mock's own interface, e.g.
#   gdbus call --system --dest org.freedesktop.login1 --object-path /org/freedesktop/login1 \
#     --method org.freedesktop.DBus.Mock.EmitSignal org.freedesktop.login1.Manager PrepareForSleep b '[<false>]'
# and finds this script in ORVANE_LOGIND_ENV to stop and restart the stand-in, each call
# returning once the name has gone or has its owner again:
#   "$ORVANE_LOGIND_ENV" stop-logind
#   "$ORVANE_LOGIND_ENV" start-logind
#
# Needs no root: the bus and the stand-in are private to this run.

# Functions called from traps and through until_true look unreachable to shellcheck.
# shellcheck disable=SC2317
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
self=$here/$(basename "${BASH_SOURCE[0]}")
patience=${LOGIND_ENV_PATIENCE:-20}  # seconds any start or stop may take
# dbusmock is a Debian package, so the system's Python, not whichever comes first on PATH.
python=${LOGIND_ENV_PYTHON:-/usr/bin/python3}

env_name=logind_env
# shellcheck source=../support/service_env.sh
source "$here/../support/service_env.sh"

logind_owned() {
  dbus-send --system --print-reply --reply-timeout=1000 --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.login1 | grep -q 'boolean true'
}

logind_gone() { ! logind_owned && [ ! -e "$LOGIND_ENV_WORK/logind.pid" ]; }

start_logind() {
  if [ -z "${DBUS_SYSTEM_BUS_ADDRESS:-}" ] || [ -z "${LOGIND_ENV_WORK:-}" ]; then
    die "start-logind: run inside $self"
  fi
  [ -e "$LOGIND_ENV_WORK/logind.pid" ] && die "start-logind: the stand-in logind is already running"
  # Its output goes to a file and nothing of the caller's is inherited, so a caller that
  # reads this script's output is not kept waiting by the stand-in that outlives it.
  "$python" -m dbusmock --system -t logind >>"$LOGIND_ENV_WORK/logind.log" 2>&1 </dev/null &
  local pid=$!
  echo "$pid" >"$LOGIND_ENV_WORK/logind.pid"
  until_true "stand-in logind start (log: $LOGIND_ENV_WORK/logind.log)" "$pid" logind_owned
}

stop_logind() {
  if [ -z "${DBUS_SYSTEM_BUS_ADDRESS:-}" ] || [ -z "${LOGIND_ENV_WORK:-}" ]; then
    die "stop-logind: run inside $self"
  fi
  stop_recorded "$LOGIND_ENV_WORK/logind.pid" "the stand-in logind"
  until_true "org.freedesktop.login1 released" "" logind_gone
}

case "${1:-}" in
  start-logind) start_logind; exit 0 ;;
  stop-logind) stop_logind; exit 0 ;;
  "" | -h | --help) die "usage: $0 COMMAND [ARG...] | start-logind | stop-logind" ;;
esac

require_tools dbus-daemon dbus-send gdbus
"$python" -c 'import dbusmock' 2>/dev/null || die "python3-dbusmock is missing for $python; run scripts/install-deps.sh"

work=$(mktemp -d /tmp/orvane-logind-env.XXXXXX)
cleanup() {
  local status=$?
  trap - EXIT INT TERM
  # The stand-in may have been restarted by the command, so it is stopped by its pid file.
  if [ -e "$work/logind.pid" ]; then
    kill "$(cat "$work/logind.pid")" 2>/dev/null || true
  fi
  finish "$status"
}
trap cleanup EXIT
trap_signals

export LOGIND_ENV_WORK=$work
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system_bus_socket"
export ORVANE_LOGIND_ENV=$self

start_private_bus system "$here/logind_env_bus.conf"

start_logind

run_command "$@"
