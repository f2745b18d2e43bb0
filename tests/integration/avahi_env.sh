#!/usr/bin/env bash
# Runs a command beside a private avahi-daemon:
#
#   tests/integration/avahi_env.sh build/bin/test_integration --gtest_filter='AvahiAdvertiserTest.*'
#
# starts a private D-Bus system bus in a temporary folder, exports its address as
# DBUS_SYSTEM_BUS_ADDRESS, starts avahi-daemon on it (publishing on loopback only),
# waits until the daemon runs, runs the command and, whatever it did, stops everything
# it started. Exits with the command's status.
#
# The command finds this script in ORVANE_AVAHI_ENV and may stop and restart the
# daemon with it, each call returning once the change is complete:
#   "$ORVANE_AVAHI_ENV" stop-daemon
#   "$ORVANE_AVAHI_ENV" start-daemon
#
# Needs root: avahi-daemon keeps its pid file and socket in /run/avahi-daemon, so there
# is one per machine; a daemon already running is refused rather than disturbed.

# Functions called from traps and through until_true look unreachable to shellcheck.
# shellcheck disable=SC2317
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
self=$here/$(basename "${BASH_SOURCE[0]}")
patience=${AVAHI_ENV_PATIENCE:-20}  # seconds any start or stop may take

env_name=avahi_env
# shellcheck source=../support/service_env.sh
source "$here/../support/service_env.sh"

daemon_running() {
  # AVAHI_SERVER_RUNNING is 2: the host name is registered and services can be published.
  dbus-send --system --print-reply --reply-timeout=1000 --dest=org.freedesktop.Avahi / \
    org.freedesktop.Avahi.Server.GetState | grep -q 'int32 2'
}

daemon_gone() { ! avahi-daemon -c; }

start_daemon() {
  if [ -z "${DBUS_SYSTEM_BUS_ADDRESS:-}" ] || [ -z "${AVAHI_ENV_WORK:-}" ]; then
    die "start-daemon: run inside $self"
  fi
  avahi-daemon -c 2>/dev/null && die "start-daemon: avahi-daemon is already running"
  avahi-daemon --no-drop-root --no-chroot --no-rlimits --no-proc-title -f "$here/avahi_env_daemon.conf" \
    >>"$AVAHI_ENV_WORK/avahi-daemon.log" 2>&1 </dev/null 9>&- &
  local pid=$!
  until_true "avahi-daemon start (log: $AVAHI_ENV_WORK/avahi-daemon.log)" "$pid" daemon_running
}

stop_daemon() {
  [ -n "${DBUS_SYSTEM_BUS_ADDRESS:-}" ] || die "stop-daemon: run inside $self"
  # -k sends SIGTERM to the daemon in the pid file and waits for it to exit.
  avahi-daemon -k 2>/dev/null || true
  until_true "avahi-daemon stop" "" daemon_gone
}

case "${1:-}" in
  start-daemon) start_daemon; exit 0 ;;
  stop-daemon) stop_daemon; exit 0 ;;
  "" | -h | --help) die "usage: $0 COMMAND [ARG...] | start-daemon | stop-daemon" ;;
esac

[ "$(id -u)" -eq 0 ] || die "needs root (avahi-daemon's pid file and socket are in /run/avahi-daemon)"
require_tools dbus-daemon dbus-send avahi-daemon avahi-browse flock

# One environment at a time on this machine.
exec 9>/run/lock/orvane-avahi-env.lock
flock -w "$patience" 9 || die "another avahi_env.sh is still running"
avahi-daemon -c 2>/dev/null && die "an avahi-daemon is already running on this machine; stop it first"

work=$(mktemp -d /tmp/orvane-avahi-env.XXXXXX)
cleanup() {
  local status=$?
  trap - EXIT INT TERM
  if [ -n "$bus_pid" ]; then
    # The daemon may have been restarted by the command, so it is stopped by its pid file.
    if ! daemon_gone; then
      avahi-daemon -k 2>/dev/null || true
    fi
  fi
  finish "$status"
}
trap cleanup EXIT
trap_signals

export AVAHI_ENV_WORK=$work
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system_bus_socket"
export ORVANE_AVAHI_ENV=$self

start_private_bus system "$here/avahi_env_bus.conf"

start_daemon

# Without the lock's descriptor, so that nothing the command leaves behind holds it.
run_command "$@"
