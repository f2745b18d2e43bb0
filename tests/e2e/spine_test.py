"""The wire protocol's spine, seen by a phone that never pairs: what an unauthenticated
connection may do, how bad frames are answered, and certificate pinning."""

import base64
import json
import os
import signal
import struct

import harness
from harness import check, check_equal


def frame(payload: bytes) -> str:
    return (struct.pack(">I", len(payload)) + payload).hex()


def pin_of(qr_text):
    fields = dict(part.split("=", 1) for part in qr_text.split("|")[1:])
    return fields["pin"]


def unauthenticated_message_is_refused_and_closed(box):
    orvane, _ = box.orvane()
    phone = box.phone_without_state("probe", "--insecure", "--host", "127.0.0.1")
    phone.expect({"event": "connected", "pinChecked": False})
    phone.send('send message {"text":"hello"}')
    phone.expect({"event": "received", "type": "error", "body": {"reason": "unauthorised"}})
    phone.expect({"event": "closed"})
    phone.expect_exit(0)
    check(not any(e.get("event") == "message" for e in orvane.history), "orvane delivered an unauthenticated message")


def ping_gets_pong_and_the_connection_stays(box):
    box.orvane()
    phone = box.phone_without_state("probe", "--insecure", "--host", "127.0.0.1")
    phone.expect({"event": "connected"})
    for _ in range(2):  # the second pong shows the first left the connection open
        phone.send("send ping")
        sent = phone.expect({"event": "sent", "type": "ping"})
        pong = phone.expect({"event": "received", "type": "pong"})
        check_equal(pong["body"], {}, "pong body")
        check(pong["id"] != sent["id"], "pong reuses the ping's id")
    phone.send("quit")
    phone.expect_exit(0)
    check(not any(e.get("event") == "closed" for e in phone.history), "the computer closed a connection that only pinged")


def bad_envelopes_get_their_reason_then_close(box):
    rows = [
        # (name, frame payload, reason)
        ("not json", b"not json", "malformed_envelope"),
        ("version 2", json.dumps({"v": 2, "id": "", "type": "ping", "body": {}}).encode(), "unsupported_version"),
        ("id of 65", json.dumps({"v": 1, "id": "i" * 65, "type": "ping", "body": {}}).encode(), "bad_message_id"),
        ("number in body", json.dumps({"v": 1, "id": "1", "type": "ping", "body": {"n": 1}}).encode(), "malformed_envelope"),
        ("unknown type", json.dumps({"v": 1, "id": "1", "type": "teleport", "body": {}}).encode(), "unknown_type"),
    ]
    box.orvane()
    for name, payload, reason in rows:
        phone = box.phone_without_state("probe", "--insecure", "--host", "127.0.0.1")
        phone.expect({"event": "connected"}, what=f"{name}: connected")
        phone.send("raw " + frame(payload))
        phone.expect({"event": "received", "type": "error", "body": {"reason": reason}}, what=f"{name}: error {reason}")
        phone.expect({"event": "closed"}, what=f"{name}: closed")
        phone.expect_exit(0)


def impossible_length_closes_without_reply(box):
    box.orvane()
    for name, header in [("length 0", "00000000"), ("length 65537", "00010001"), ("length 70000", "00011170")]:
        phone = box.phone_without_state("probe", "--insecure", "--host", "127.0.0.1")
        phone.expect({"event": "connected"}, what=f"{name}: connected")
        phone.send("raw " + header)
        closed = phone.expect({"event": "closed"}, what=f"{name}: closed")
        replies = [e for e in phone.events_before(closed) if e.get("event") == "received"]
        check_equal(replies, [], f"{name}: replies before the close")
        phone.expect_exit(0)


def frames_are_cut_however_the_bytes_arrive(box):
    box.orvane()
    phone = box.phone_without_state("probe", "--insecure", "--host", "127.0.0.1")
    phone.expect({"event": "connected"})
    ping = lambda i: frame(json.dumps({"v": 1, "id": f"P{i}", "type": "ping", "body": {}}).encode())
    # Two frames in one write: two answers.
    phone.send("raw " + ping(1) + ping(2))
    phone.expect({"event": "received", "type": "pong"}, what="first pong of the pair")
    phone.expect({"event": "received", "type": "pong"}, what="second pong of the pair")
    # One frame written a byte at a time, each byte its own TLS record: one answer,
    # once the last byte is in.
    third = ping(3)
    for i in range(0, len(third), 2):
        phone.send("raw " + third[i:i + 2])
    phone.expect({"event": "received", "type": "pong"}, what="pong of the frame sent byte by byte")
    phone.send("send ping")
    phone.expect({"event": "received", "type": "pong"}, what="pong after it")
    pongs = [e for e in phone.history if e.get("event") == "received" and e.get("type") == "pong"]
    check_equal(len(pongs), 4, "pongs")
    check(not any(e.get("event") == "closed" for e in phone.history), "the computer closed the connection")


def termination_signals_end_the_program_cleanly(box):
    for signame in ("SIGTERM", "SIGINT"):
        orvane, _ = box.orvane()
        phone = box.phone_without_state("probe", "--insecure", "--host", "127.0.0.1")
        phone.expect({"event": "connected"}, what=f"{signame}: connected")
        phone.send("send ping")
        phone.expect({"event": "received", "type": "pong"}, what=f"{signame}: pong")
        orvane.signal(getattr(signal, signame))
        orvane.expect_exit(0)
        phone.expect({"event": "closed"}, what=f"{signame}: the connection was closed")
        settings = os.path.join(box.config, "Orvane", "defaults.json")
        with open(settings, encoding="utf-8") as f:
            json.load(f)  # complete, never half-written


def end_of_input_keeps_serving(box):
    orvane, _ = box.orvane()
    orvane.close_input()
    phone = box.phone_without_state("probe", "--insecure", "--host", "127.0.0.1")
    phone.expect({"event": "connected"})
    phone.send("send ping")
    phone.expect({"event": "received", "type": "pong"})


def pinned_certificate_is_accepted(box):
    _, invitation = box.orvane()
    qr = invitation["qrText"]
    phone = box.phone_without_state("probe", "--qr", qr, "--host", "127.0.0.1")
    connected = phone.expect({"event": "connected", "pinChecked": True})
    check_equal(connected["pin"], pin_of(qr), "certificate SHA-256 presented")
    phone.send("send ping")
    phone.expect({"event": "received", "type": "pong"})
    phone.send("quit")
    phone.expect_exit(0)


def other_certificate_is_refused_before_anything_is_sent(box):
    orvane, invitation = box.orvane()
    qr = invitation["qrText"]
    real = base64.b64decode(pin_of(qr))
    wrong = base64.b64encode(bytes([real[0] ^ 1]) + real[1:]).decode()
    phone = box.phone("pair", "--qr", qr.replace(pin_of(qr), wrong), "--host", "127.0.0.1")
    phone.expect_exit(5)
    check("does not match the pin" in phone.stderr_text(), f"no clear refusal message: {phone.stderr_text()!r}")
    check(not any(e.get("event") in ("connected", "sent") for e in phone.history), "the phone went on after the mismatch")
    # Nothing reached the computer: the invitation is still unused, so the right pin pairs with it.
    harness.pair(box, orvane, qr)


harness.run([
    unauthenticated_message_is_refused_and_closed,
    ping_gets_pong_and_the_connection_stays,
    bad_envelopes_get_their_reason_then_close,
    impossible_length_closes_without_reply,
    frames_are_cut_however_the_bytes_arrive,
    termination_signals_end_the_program_cleanly,
    end_of_input_keeps_serving,
    pinned_certificate_is_accepted,
    other_certificate_is_refused_before_anything_is_sent,
])
