# Shared by the scripts that run a command beside real services (a private D-Bus, a
# private display): tests/integration/avahi_env.sh and tests/desktop/*_env.sh. Sourced,
# not run. The sourcing script sets
#   env_name   how its messages begin ("avahi_env")
#   patience   seconds any start or stop may take
# and, before start_private_bus, `work` (its temporary folder).

# shellcheck shell=bash
# Functions called from traps and through until_true look unreachable to shellcheck.
# shellcheck disable=SC2317

die() {
  echo "$env_name: $*" >&2
  exit 2
}

# until_true WHAT PID COMMAND...: runs COMMAND until it succeeds, giving up after
# $patience seconds, or at once when process PID (if not empty) has died.
until_true() {
  local what=$1 pid=$2
  shift 2
  local end=$((SECONDS + patience))
  until "$@" >/dev/null 2>&1; do
    if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
      die "$what: the process exited"
    fi
    [ "$SECONDS" -lt "$end" ] || die "$what: not done after ${patience}s"
    sleep 0.05
  done
}

require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || die "$tool is missing; run scripts/install-deps.sh"
  done
}

# stop_recorded PIDFILE WHAT: stops the process whose pid PIDFILE holds and removes the
# file. The process may be another invocation's child, so it is watched rather than
# waited for.
stop_recorded() {
  local file=$1 what=$2 pid
  pid=$(cat "$file" 2>/dev/null) || die "$what is not running"
  kill "$pid" 2>/dev/null || true
  until_true "$what stop" "" eval "! kill -0 $pid"
  rm -f "$file"
}

# start_private_bus system|session CONFIG: a dbus-daemon on the address already in
# DBUS_SYSTEM_BUS_ADDRESS or DBUS_SESSION_BUS_ADDRESS, its pid in bus_pid, its log in
# $work; returns once it answers. No descriptor 9 (a caller's lock) is passed on.
bus_pid=""
start_private_bus() {
  local kind=$1 config=$2 address
  if [ "$kind" = system ]; then address=$DBUS_SYSTEM_BUS_ADDRESS; else address=$DBUS_SESSION_BUS_ADDRESS; fi
  dbus-daemon --config-file="$config" --address="$address" --nofork --nopidfile --nosyslog \
    >"$work/dbus-daemon.log" 2>&1 </dev/null 9>&- &
  bus_pid=$!
  until_true "private $kind bus start (log: $work/dbus-daemon.log)" "$bus_pid" \
    dbus-send --"$kind" --print-reply --reply-timeout=1000 --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.GetId
}

# finish STATUS: the end of the caller's cleanup, once its own services are stopped:
# stops the private bus, shows the logs of a failed run, removes $work, exits.
finish() {
  local status=$1 log
  if [ -n "$bus_pid" ]; then
    kill "$bus_pid" 2>/dev/null || true
    wait "$bus_pid" 2>/dev/null || true
  fi
  if [ "$status" -ne 0 ]; then
    for log in "$work"/*.log; do
      [ -s "$log" ] && { echo "--- $log"; tail -n 30 "$log"; } >&2
    done
  fi
  rm -rf "$work"
  exit "$status"
}

# The command runs in the background so that a signal is handled at once: it is passed
# on, and then everything else is stopped (the caller's EXIT trap).
child=""
on_signal() {
  if [ -n "$child" ]; then
    kill -TERM "$child" 2>/dev/null || true
    wait "$child" 2>/dev/null || true
  fi
  exit "$1"
}
trap_signals() {
  trap 'on_signal 130' INT
  trap 'on_signal 143' TERM
}

# run_command COMMAND...: runs it (without descriptor 9) and exits with its status.
run_command() {
  set +e
  "$@" 9>&- &
  child=$!
  wait "$child"
  local status=$?
  set -e
  exit "$status"
}
