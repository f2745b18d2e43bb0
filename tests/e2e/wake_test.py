"""Waking from sleep, with a stand-in logind on a private system bus (the script runs
under tests/desktop/logind_env.sh): a paired phone that is away is asked to come back,
a connected one is left alone, and with no phone paired nothing happens."""

import subprocess

import harness
from harness import check, check_equal


def wake():
    """logind's PrepareForSleep(false), as the computer sends it on waking."""
    subprocess.run(
        ["gdbus", "call", "--system", "--dest", "org.freedesktop.login1", "--object-path", "/org/freedesktop/login1",
         "--method", "org.freedesktop.DBus.Mock.EmitSignal", "org.freedesktop.login1.Manager", "PrepareForSleep", "b",
         "[<false>]"],
        check=True, stdout=subprocess.DEVNULL, timeout=10 * harness.TIME_SCALE)


def waking_asks_the_phone_that_is_away_to_reconnect(box):
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])
    phone.send("disconnect")
    phone.expect_exit(0)
    orvane.expect_state(detail="Phone disconnected \u2014 still listening")
    listener = box.phone("listen-nudge", "--bind", "127.0.0.1", "--once")
    listener.expect({"event": "listening", "port": harness.NUDGE_PORT})
    orvane.skip_unread()
    wake()
    orvane.expect({"event": "woke", "reconnect": True})
    orvane.expect_state(detail="Asking your phone to reconnect\u2026")
    nudge = listener.expect({"event": "nudge"})
    check(nudge["valid"] is True, f"the nudge did not verify: {nudge}")
    check_equal(nudge["deviceID"], harness.saved_state(box)["deviceID"], "nudged device")


def waking_leaves_a_connected_phone_alone(box):
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])
    orvane.skip_unread()
    wake()
    checked = orvane.expect({"event": "woke"})
    check_equal(checked["reconnect"], False, "reconnect after waking while connected")
    # A restart would have closed the session before this ping reached it.
    phone.send("send ping")
    phone.expect({"event": "received", "type": "pong"})
    after = orvane.history[len(orvane.events_before(checked)):]
    check_equal([e for e in after if e.get("event") == "state"], [], "state changes after waking while connected")


def waking_without_a_paired_phone_does_nothing(box):
    orvane, _ = box.orvane()
    orvane.skip_unread()
    wake()
    checked = orvane.expect({"event": "woke"})
    check_equal(checked["reconnect"], False, "reconnect without a paired phone")
    orvane.send("new-code")
    fresh = orvane.expect({"event": "invitation"})
    # A restart would have been asked of the server before the new code was.
    between = orvane.events_before(fresh)[len(orvane.events_before(checked)):]
    check_equal([e for e in between if e.get("event") == "state"], [], "state changes after waking with no phone")


harness.run([
    waking_asks_the_phone_that_is_away_to_reconnect,
    waking_leaves_a_connected_phone_alone,
    waking_without_a_paired_phone_does_nothing,
])
