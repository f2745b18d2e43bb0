"""The reconnect nudge: the computer asks a paired phone that is away to come back,
and the phone checks the line against its own credential."""

import base64
import hashlib
import hmac
import json
import os
import socket
import time

import harness
from harness import check, check_equal


def pair_then_disconnect(box):
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])
    orvane.expect({"event": "phoneAddress", "address": "127.0.0.1"})
    phone.send("disconnect")
    phone.expect_exit(0)
    orvane.expect_state(detail="Phone disconnected \u2014 still listening")
    return orvane, harness.saved_state(box)


def reconnect_sends_a_valid_nudge(box):
    orvane, state = pair_then_disconnect(box)
    listener = box.phone("listen-nudge", "--bind", "127.0.0.1", "--once")
    listener.expect({"event": "listening", "port": harness.NUDGE_PORT})
    orvane.skip_unread()
    before = int(time.time())
    orvane.send("reconnect")
    orvane.expect_state(detail="Asking your phone to reconnect\u2026")
    nudge = listener.expect({"event": "nudge"})
    check(nudge["valid"] is True, f"the computer's nudge did not verify: {nudge}")
    check_equal(nudge["deviceID"], state["deviceID"], "nudged device")
    check(before - 1 <= nudge["stamp"] <= int(time.time()) + 1, f"stamp {nudge['stamp']} is not now")
    listener.expect_exit(0)
    # What a phone does next: connect back and authenticate.
    back = box.phone("connect")
    back.expect({"event": "authenticated"})
    orvane.expect_state(state="connected")


def unanswered_nudge_says_so(box):
    orvane, _ = pair_then_disconnect(box)
    check(harness.port_is_free(harness.NUDGE_PORT), f"something listens on {harness.NUDGE_PORT}; the case needs it silent")
    orvane.skip_unread()
    orvane.send("reconnect")
    orvane.expect_state(detail="Asking your phone to reconnect\u2026")
    orvane.expect_state(detail="Phone didn't answer \u2014 open Orvane on it and try again")


def write_state(box, device_id, token):
    os.makedirs(os.path.dirname(box.phone_state), exist_ok=True)
    with open(box.phone_state, "w", encoding="utf-8") as f:
        json.dump({"deviceID": device_id, "phoneToken": base64.urlsafe_b64encode(token).decode().rstrip("="),
                   "pinB64": base64.b64encode(bytes(32)).decode(), "host": "127.0.0.1", "port": 17431,
                   "macName": "Mac", "discoveryToken": "000000"}, f)


def nudge_line(device_id, stamp, token):
    # Computed here independently: HMAC-SHA256 keyed with SHA-256 of the token bytes.
    key = hashlib.sha256(token).digest()
    mac = hmac.new(key, f"WKN1|{device_id}|{stamp}".encode(), hashlib.sha256).digest()
    return f"WKN1 {device_id} {stamp} {base64.urlsafe_b64encode(mac).decode().rstrip('=')}"


def phone_checks_every_nudge_line(box):
    token = bytes(range(32))
    device = "dev-1"
    write_state(box, device, token)
    listener = box.phone("listen-nudge", "--bind", "127.0.0.1", "--port", "0")
    port = listener.expect({"event": "listening"})["port"]
    stamp = int(time.time())
    good = nudge_line(device, stamp, token)
    rows = [
        # (name, bytes sent, valid, reason)
        ("valid line", good + "\n", True, None),
        ("other device", nudge_line("dev-2", stamp, token) + "\n", False, "unknown_device"),
        ("other token", nudge_line(device, stamp, bytes(32)) + "\n", False, "bad_mac"),
        ("stamp changed", good.replace(f" {stamp} ", f" {stamp + 1} ") + "\n", False, "bad_mac"),
        ("not a nudge", "HELLO\n", False, "malformed"),
        ("no line feed", good, False, "incomplete"),
    ]
    for name, data, valid, reason in rows:
        with socket.create_connection(("127.0.0.1", port), timeout=5) as s:
            s.sendall(data.encode())
            s.shutdown(socket.SHUT_WR)
            nudge = listener.expect({"event": "nudge"}, what=f"{name}: nudge")
        check_equal((nudge["valid"], nudge.get("reason")), (valid, reason), f"{name}: verdict")
    check(listener.running(), "the listener ended without --once")


def listener_gives_up_at_its_timeout(box):
    write_state(box, "dev-1", bytes(32))
    listener = box.start("phone", [os.path.join(harness.BIN_DIR, "orvane-phone"), "--timeout", "0.5",
                                   "--state", box.phone_state, "listen-nudge", "--port", "0"])
    listener.expect({"event": "listening"})
    listener.expect({"event": "timeout", "seconds": 0.5})
    listener.expect_exit(3)


harness.run([
    reconnect_sends_a_valid_nudge,
    unanswered_nudge_says_so,
    phone_checks_every_nudge_line,
    listener_gives_up_at_its_timeout,
])
