"""A phone that speaks only when spoken to: it answers every ping and sends nothing else.
The computer must keep pinging it and must never take it for silent or gone, however
long it stays."""

import os
import time

import harness
from harness import Failure, check, check_equal

HOLD_SECONDS = 180.0
# The computer pings once nothing has come from the phone for 20 s, checked on a 5 s
# tick: a ping every 25 s, plus slack for a loaded machine.
MAX_PING_GAP = 28.0
SILENT = "Phone went silent \u2014 still listening"


def phone_that_only_answers_pings_stays_connected(box):
    orvane, invitation = box.orvane()
    first = harness.pair(box, orvane, invitation["qrText"], extra=("--exit-after-pair",))
    first.expect_exit(0)

    # The held phone needs a deadline of its own beyond the hold; the pairing above
    # saved the credential it authenticates with.
    phone = box.start("phone", [os.path.join(harness.BIN_DIR, "orvane-phone"), "--timeout", str(int(HOLD_SECONDS) + 60),
                                "--state", box.phone_state, "connect"])
    phone.expect({"event": "authenticated"})
    orvane.expect_state(state="connected")
    since = time.monotonic()
    watched_from = len(orvane.history)

    pings = []
    last = since
    while time.monotonic() - since < HOLD_SECONDS:
        try:
            phone.expect({"event": "received", "type": "ping"}, timeout=MAX_PING_GAP)
        except Failure as e:
            raise Failure(f"no ping for {MAX_PING_GAP:.0f} s, {time.monotonic() - since:.0f} s into the hold\n{e}")
        now = time.monotonic()
        pings.append(now - last)
        last = now
    held = time.monotonic() - since

    check(phone.running(), "the phone ended during the hold")
    check(not any(e.get("event") == "closed" for e in phone.history), "the computer closed the phone's connection")
    states = [e for e in orvane.history[watched_from:] if e.get("event") == "state"]
    check(not any(e.get("detail") == SILENT for e in states), f"the computer took the phone for silent: {states}")
    check_equal([e for e in states if e.get("state") != "connected"], [], "states during the hold")

    # Still the live session at the end: the computer reaches it.
    orvane.send("message after the hold")
    message = phone.expect({"event": "received", "type": "message", "body": {"text": "after the hold"}})
    phone.expect({"event": "sent", "type": "ack", "body": {"ack_for": message["id"]}})
    orvane.expect({"event": "messageStatus", "id": message["id"], "acked": True})

    # The phone did nothing on its own: after authenticating it sent one pong for each
    # ping, and the ack just asked of it.
    sent = [e.get("type", e["event"]) for e in phone.history if e.get("event") in ("sent", "sentRaw")]
    received_pings = [e for e in phone.history if e.get("event") == "received" and e.get("type") == "ping"]
    check_equal(sent, ["authenticate"] + ["pong"] * len(received_pings) + ["ack"], "what the phone sent")
    print(f"  held {held:.0f} s; {len(pings)} pings; gaps (s): {', '.join(f'{g:.1f}' for g in pings)}")


harness.run([phone_that_only_answers_pings_stays_connected])
