#!/usr/bin/env bash
# Runs a command beside a real MPRIS player on a private session bus:
#
#   tests/desktop/mpris_env.sh build/bin/test_mpris
#
# makes a 30-second tone with sox (tagged with a title, an artist and an album) and a
# cover image beside it, starts a private session bus whose address it exports as
# DBUS_SESSION_BUS_ADDRESS, runs the command and, whatever it did, stops everything it
# started. No player runs at first. Exits with the command's status.
#
# The command finds this script in ORVANE_MPRIS_ENV and the cover in ORVANE_MPRIS_COVER;
# each call returns once the player owns its name (and plays), or has left the bus:
#   "$ORVANE_MPRIS_ENV" start-player     mpv with the mpv-mpris plugin, playing the tone
#   "$ORVANE_MPRIS_ENV" stop-player
#   "$ORVANE_MPRIS_ENV" start-hung       a second player that owns its name but never answers
#   "$ORVANE_MPRIS_ENV" stop-hung
#   "$ORVANE_MPRIS_ENV" start-odd        a playing player whose Metadata is a{ss} (not a{sv})
#   "$ORVANE_MPRIS_ENV" stop-odd         and which has a property of an odd type
# playerctl reads and drives the player: playerctl --player=mpv status
#
# Needs no root and no sound card (mpv's audio output is null).

# Functions called from traps and through until_true look unreachable to shellcheck.
# shellcheck disable=SC2317
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
self=$here/$(basename "${BASH_SOURCE[0]}")
patience=${MPRIS_ENV_PATIENCE:-20}  # seconds any start or stop may take
python=${MPRIS_ENV_PYTHON:-/usr/bin/python3}
mpris_plugin=${MPRIS_ENV_PLUGIN:-/usr/lib/mpv-mpris/mpris.so}

env_name=mpris_env
# shellcheck source=../support/service_env.sh
source "$here/../support/service_env.sh"

owned() {
  dbus-send --session --print-reply --reply-timeout=1000 --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner "string:$1" | grep -q 'boolean true'
}

inside() {
  if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] || [ -z "${MPRIS_ENV_WORK:-}" ]; then
    die "$1: run inside $self"
  fi
}

start_player() {
  inside start-player
  [ -e "$MPRIS_ENV_WORK/player.pid" ] && die "start-player: a player is already running"
  # An empty configuration folder of its own: the user's mpv settings and scripts stay
  # out, and the plugin is loaded by path.
  mkdir -p "$MPRIS_ENV_WORK/mpv-config"
  mpv --config-dir="$MPRIS_ENV_WORK/mpv-config" --script="$mpris_plugin" --no-video --ao=null --really-quiet \
    --loop-file=inf "$MPRIS_ENV_WORK/music/tone.ogg" >>"$MPRIS_ENV_WORK/mpv.log" 2>&1 </dev/null &
  local pid=$!
  echo "$pid" >"$MPRIS_ENV_WORK/player.pid"
  until_true "mpv start (log: $MPRIS_ENV_WORK/mpv.log)" "$pid" owned org.mpris.MediaPlayer2.mpv
  until_true "mpv playing" "$pid" eval 'playerctl --player=mpv status | grep -qx Playing'
  # The file's tags come a moment after the file: the player is ready once they are there.
  until_true "mpv's tags" "$pid" eval 'playerctl --player=mpv metadata xesam:title | grep -qx "Test Tone"'
}

stop_player() {
  inside stop-player
  stop_recorded "$MPRIS_ENV_WORK/player.pid" mpv
  until_true "org.mpris.MediaPlayer2.mpv released" "" eval '! owned org.mpris.MediaPlayer2.mpv'
}

start_hung() {
  inside start-hung
  [ -e "$MPRIS_ENV_WORK/hung.pid" ] && die "start-hung: already running"
  # Owns the name, then never reads the bus again: every call to it waits for nothing.
  "$python" -c '
import dbus, time
bus = dbus.SessionBus()
bus.request_name("org.mpris.MediaPlayer2.aaa_hung")
time.sleep(3600)
' >>"$MPRIS_ENV_WORK/hung.log" 2>&1 </dev/null &
  local pid=$!
  echo "$pid" >"$MPRIS_ENV_WORK/hung.pid"
  until_true "hung player start (log: $MPRIS_ENV_WORK/hung.log)" "$pid" owned org.mpris.MediaPlayer2.aaa_hung
}

# Stops one of the stand-in players by the name its pid file has (hung, odd).
stop_stand_in() {
  inside "stop-$1"
  stop_recorded "$MPRIS_ENV_WORK/$1.pid" "$1 player"
}

start_odd() {
  inside start-odd
  [ -e "$MPRIS_ENV_WORK/odd.pid" ] && die "start-odd: already running"
  "$python" -c '
import dbus, dbus.service, dbus.mainloop.glib
from gi.repository import GLib
dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName("org.mpris.MediaPlayer2.aab_odd", bus)
PROPS = "org.freedesktop.DBus.Properties"
class Odd(dbus.service.Object):
    def values(self):
        return {"PlaybackStatus": "Playing", "Identity": "Odd Player", "CanControl": True,
                "Metadata": dbus.Dictionary({"xesam:title": "Odd", "mpris:artUrl": "file:///x.png"}, signature="ss"),
                "Odd": dbus.Dictionary({"a": dbus.Int32(1)}, signature="si")}
    @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.values()[name]
    @dbus.service.method(PROPS, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.values()
Odd(bus, "/org/mpris/MediaPlayer2")
GLib.MainLoop().run()
' >>"$MPRIS_ENV_WORK/odd.log" 2>&1 </dev/null &
  local pid=$!
  echo "$pid" >"$MPRIS_ENV_WORK/odd.pid"
  until_true "odd player start (log: $MPRIS_ENV_WORK/odd.log)" "$pid" owned org.mpris.MediaPlayer2.aab_odd
}

case "${1:-}" in
  start-player) start_player; exit 0 ;;
  stop-player) stop_player; exit 0 ;;
  start-hung) start_hung; exit 0 ;;
  stop-hung) stop_stand_in hung; exit 0 ;;
  start-odd) start_odd; exit 0 ;;
  stop-odd) stop_stand_in odd; exit 0 ;;
  "" | -h | --help) die "usage: $0 COMMAND [ARG...] | start-player | stop-player | start-hung | stop-hung | start-odd | stop-odd" ;;
esac

require_tools dbus-daemon dbus-send mpv sox playerctl
[ -e "$mpris_plugin" ] || die "$mpris_plugin is missing (mpv-mpris); run scripts/install-deps.sh"
"$python" -c 'import dbus' 2>/dev/null || die "python3-dbus is missing for $python; run scripts/install-deps.sh"

work=$(mktemp -d /tmp/orvane-mpris-env.XXXXXX)
cleanup() {
  local status=$?
  trap - EXIT INT TERM
  local file
  for file in player.pid hung.pid odd.pid; do
    if [ -e "$work/$file" ]; then kill "$(cat "$work/$file")" 2>/dev/null || true; fi
  done
  finish "$status"
}
trap cleanup EXIT
trap_signals

export MPRIS_ENV_WORK=$work
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/session_bus_socket"
export ORVANE_MPRIS_ENV=$self
export ORVANE_MPRIS_COVER=$work/music/cover.png

mkdir -p "$work/music"
sox -n -r 44100 -c 2 --comment "TITLE=Test Tone" --add-comment "ARTIST=Orvane Band" \
  --add-comment "ALBUM=Signals" "$work/music/tone.ogg" synth 30 sine 440 vol 0.1
# A 64-pixel cover, made with nothing but the standard library. mpv-mpris names a
# cover.png beside the file as the track's art.
"$python" - "$ORVANE_MPRIS_COVER" <<'PY'
import struct, sys, zlib
w = h = 64
rows = b"".join(b"\x00" + b"".join(bytes((x * 4, y * 4, 160)) for x in range(w)) for y in range(h))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
with open(sys.argv[1], "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
PY

start_private_bus session "$here/session_env_bus.conf"
run_command "$@"
