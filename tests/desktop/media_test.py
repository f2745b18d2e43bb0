"""Now playing end to end: orvane --headless beside a real mpv with the mpv-mpris plugin
on a private session bus (tests/desktop/mpris_env.sh), with orvane-phone as the phone.
The track and its cover reach the phone, the phone's pause reaches mpv, and the player
leaving is told. A program with an outside adapter beside it (a perl script standing in
for it) streams through that instead, and when the program ends, so does the script.

    tests/desktop/mpris_env.sh python3 tests/desktop/media_test.py --bin-dir build/bin
"""

import base64
import os
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402
from harness import check, check_equal  # noqa: E402

SESSION = ("DBUS_SESSION_BUS_ADDRESS",)
PATIENCE = 20 * harness.TIME_SCALE


def env_script(command):
    subprocess.run([os.environ["ORVANE_MPRIS_ENV"], command], check=True, timeout=60 * harness.TIME_SCALE)


def player_status():
    done = subprocess.run(["playerctl", "--player=mpv", "status"], capture_output=True, text=True)
    return done.stdout.strip() if done.returncode == 0 else None


def wait_until(condition, what):
    deadline = time.monotonic() + PATIENCE
    while not condition():
        if time.monotonic() > deadline:
            raise harness.Failure(f"not so after {PATIENCE:.0f} s: {what}")
        time.sleep(0.05)  # polling an outside program's state, not timing a rule


def cover():
    with open(os.environ["ORVANE_MPRIS_COVER"], "rb") as f:
        return f.read()


def media_post(phone, **fields):
    """The next media_post whose body has these fields."""
    return phone.expect(lambda e: e.get("event") == "received" and e.get("type") == "media_post"
                        and all(e["body"].get(k) == v for k, v in fields.items()),
                        what=f"media_post with {fields}")


def paired(box):
    box.inherit(*SESSION)
    orvane, invitation = box.orvane()
    return orvane, harness.pair(box, orvane, invitation["qrText"])


def the_track_and_its_cover_reach_the_phone(box):
    env_script("start-player")
    try:
        _, phone = paired(box)
        post = media_post(phone, title="Test Tone", state="playing")
        body = post["body"]
        check_equal(body["app"], "mpv", "app")
        check_equal(body["artist"], "Orvane Band", "artist")
        check_equal(body["album"], "Signals", "album")
        small = base64.b64decode(body["art"], validate=True)
        check(small.startswith(b"\xff\xd8"), "the small cover is a JPEG")
        check(len(small) <= 5500, f"the small cover has {len(small)} bytes")
        check_equal(base64.b64decode(body["art_lg"], validate=True), cover(), "the large cover (the file as it is)")
    finally:
        env_script("stop-player")


def the_phones_pause_pauses_the_player_and_its_leaving_is_told(box):
    env_script("start-player")
    try:
        orvane, phone = paired(box)
        media_post(phone, title="Test Tone", state="playing")
        phone.send('send maccmd {"cmd":"pause"}')
        wait_until(lambda: player_status() == "Paused", "mpv paused")
        media_post(phone, title="Test Tone", state="paused")
        phone.send('send maccmd {"cmd":"toggle"}')
        wait_until(lambda: player_status() == "Playing", "mpv playing again")
        media_post(phone, title="Test Tone", state="playing")
    finally:
        env_script("stop-player")
    phone.expect({"event": "received", "type": "media_unavailable", "body": {}})


def nothing_playing_is_told_as_unavailable(box):
    _, phone = paired(box)
    phone.expect({"event": "received", "type": "media_unavailable", "body": {}})
    phone.send('send maccmd {"cmd":"pause"}')  # nothing to pause: nothing happens, nothing breaks
    phone.send('send maccmd {"cmd":"stop"}')
    check(phone.running(), "the phone is still connected")


# -- an outside adapter beside the program --

ADAPTER = r"""
use strict; use warnings;
my ($framework, @args) = @ARGV;
my $work = '%(work)s';
open(my $log, '>>', "$work/calls") or die; print $log join(' ', @args), "\n"; close $log;
my $playing = '{"bundleIdentifier":"com.spotify.client","title":"Adapter Song","artist":"Band","playing":true}';
if (@args && $args[0] eq 'stream') {
  open(my $p, '>', "$work/stream.pid") or die; print $p $$; close $p;
  $| = 1;
  print qq({"type":"data","payload":$playing}\n);
  sleep 600;
}
print $playing if @args && $args[0] eq 'get';
exit 0;
"""


def program_with_adapter(box):
    """A copy of orvane with the stand-in adapter in the folder beside it."""
    folder = os.path.join(box.root, "program")
    resources = os.path.join(folder, "MediaRemoteAdapter")
    os.makedirs(os.path.join(resources, "MediaRemoteAdapter.framework"))
    with open(os.path.join(resources, "mediaremote-adapter.pl"), "w") as f:
        f.write(ADAPTER % {"work": box.root})
    program = os.path.join(folder, "orvane")
    shutil.copy2(os.path.join(harness.BIN_DIR, "orvane"), program)
    return program


def start(box, program):
    box.inherit(*SESSION)
    orvane = box.start("orvane", [program, "--headless", "--json", "--accept-terms"])
    orvane.expect_state(state="disconnected", detail=f"Listening on port {harness.COMPUTER_PORT}")
    invitation = orvane.expect({"event": "invitation"})
    return orvane, invitation


def stream_pid(box):
    path = os.path.join(box.root, "stream.pid")
    wait_until(lambda: os.path.exists(path) and open(path).read().strip(), "the stream started")
    return int(open(path).read())


def ended(pid):
    """Gone, or dead and waiting for whoever adopted it to reap it."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] == "Z"
    except FileNotFoundError:
        return True


def calls(box):
    path = os.path.join(box.root, "calls")
    return open(path).read().splitlines() if os.path.exists(path) else []


def the_adapters_stream_reaches_the_phone_and_commands_go_through_it(box):
    orvane, invitation = start(box, program_with_adapter(box))
    pid = stream_pid(box)
    phone = harness.pair(box, orvane, invitation["qrText"])
    media_post(phone, app="Spotify", title="Adapter Song", artist="Band", state="playing")
    phone.send('send maccmd {"cmd":"next"}')
    wait_until(lambda: "send 4" in calls(box), "the adapter asked to skip")
    check("stream --no-diff" in calls(box), f"the stream's command line: {calls(box)}")
    check(not ended(pid), "the stream still runs")
    orvane.send("quit")
    orvane.expect_exit(0)
    check(ended(pid), "quitting ended the adapter's stream")


def a_terminated_program_ends_its_stream(box):
    orvane, _ = start(box, program_with_adapter(box))
    pid = stream_pid(box)
    orvane.signal(signal.SIGTERM)
    orvane.wait_exit()
    check(ended(pid), "the stream outlived the program")


def a_killed_program_still_ends_its_stream(box):
    orvane, _ = start(box, program_with_adapter(box))
    pid = stream_pid(box)
    orvane.signal(signal.SIGKILL)
    orvane.wait_exit()
    wait_until(lambda: ended(pid), "the stream ended with the program that started it")


harness.run([
    the_track_and_its_cover_reach_the_phone,
    the_phones_pause_pauses_the_player_and_its_leaving_is_told,
    nothing_playing_is_told_as_unavailable,
    the_adapters_stream_reaches_the_phone_and_commands_go_through_it,
    a_terminated_program_ends_its_stream,
    a_killed_program_still_ends_its_stream,
])
