"""Clipboard text between the headless computer (its in-process pasteboard, fed by the
`copy` command) and a phone: sent once, applied without echo, ordered by the shared
clock, and nothing either way while the switch is off.

"Nothing was sent" is shown by a marker: texts travel in order on the one connection,
so once a later marker has arrived, anything sent before it would have arrived first."""

import json

import harness
from harness import check, check_equal


def send_from_phone(phone, text, seq, clip_id, origin="phone-origin"):
    body = {"clip_id": clip_id, "origin": origin, "seq": str(seq), "text": text}
    phone.send("send clipboard_update " + json.dumps(body, ensure_ascii=False))
    phone.expect({"event": "sent", "type": "clipboard_update", "body": {"clip_id": clip_id}})


def copy_and_expect_sent(orvane, phone, text):
    orvane.send("copy " + text)
    orvane.expect({"event": "clipboard", "direction": "sent", "text": text})
    return phone.expect({"event": "received", "type": "clipboard_update", "body": {"text": text}})


def a_copy_reaches_the_phone_once(box):
    orvane, phone = harness.paired_with_clipboard_sync(box)
    first = copy_and_expect_sent(orvane, phone, "Grüße — from the computer")
    body = first["body"]
    check(len(body["clip_id"]) == 36, f"clip id {body['clip_id']!r}")
    check(len(body["origin"]) == 36 and body["origin"] == body["origin"].upper(), f"origin {body['origin']!r}")
    check_equal(body["seq"], "1", "first sequence number")

    # The same text again: the history moves it up, the phone does not hear it twice.
    orvane.send("copy Grüße — from the computer")
    orvane.expect({"event": "clipboard", "direction": "sent", "text": "Grüße — from the computer"})
    marker = copy_and_expect_sent(orvane, phone, "marker")
    check_equal(harness.clipboard_texts(phone), ["Grüße — from the computer", "marker"], "texts the phone got")
    check_equal(marker["body"]["seq"], "2", "the repeat used no sequence number")
    check_equal(marker["body"]["origin"], body["origin"], "one origin for every update of this computer")


def text_from_the_phone_is_applied_without_echo(box):
    orvane, phone = harness.paired_with_clipboard_sync(box)
    send_from_phone(phone, "from the phone", 500, "phone-clip-1")
    orvane.expect({"event": "clipboard", "direction": "received", "text": "from the phone"})
    # The user copies the received text again on the computer: it is not sent back.
    orvane.send("copy from the phone")
    orvane.expect({"event": "clipboard", "direction": "sent", "text": "from the phone"})
    marker = copy_and_expect_sent(orvane, phone, "marker after receiving")
    check_equal(harness.clipboard_texts(phone), ["marker after receiving"], "texts the phone got")
    check_equal(marker["body"]["seq"], "501", "the computer's clock follows the phone's")

    # A stale update (older than what both sides know) is not applied.
    send_from_phone(phone, "stale", 3, "phone-clip-2")
    send_from_phone(phone, "fresh", 900, "phone-clip-3")
    orvane.expect({"event": "clipboard", "direction": "received", "text": "fresh"})
    received = [e["text"] for e in orvane.history if e.get("event") == "clipboard" and e.get("direction") == "received"]
    check_equal(received, ["from the phone", "fresh"], "texts applied on the computer")


def the_switch_off_drops_both_ways_and_on_sends_nothing_old(box):
    orvane, phone = harness.paired_with_clipboard_sync(box)
    orvane.send("clipboard off")
    orvane.expect({"event": "clipboardSync", "enabled": False})
    orvane.send("copy copied while off")
    send_from_phone(phone, "sent while off", 10, "phone-clip-off")
    # The computer handles one connection's messages in order: once the pong is back,
    # the update before it has been judged, while the switch was still off.
    phone.send("send ping")
    phone.expect({"event": "received", "type": "pong"})
    orvane.send("clipboard on")
    orvane.expect({"event": "clipboardSync", "enabled": True})
    # Turning on does not send what is already on the pasteboard; the next copy goes.
    copy_and_expect_sent(orvane, phone, "after turning on")
    check_equal(harness.clipboard_texts(phone), ["after turning on"], "texts the phone got")
    check(not any(e.get("event") == "clipboard" for e in orvane.history if e.get("direction") == "received"),
          "text from the phone was applied while the switch was off")


def send_clipboard_sends_what_is_there_again(box):
    orvane, phone = harness.paired_with_clipboard_sync(box)
    copy_and_expect_sent(orvane, phone, "first")
    copy_and_expect_sent(orvane, phone, "second")
    orvane.send("copy first")
    orvane.expect({"event": "clipboard", "direction": "sent", "text": "first"})
    phone.expect({"event": "received", "type": "clipboard_update", "body": {"text": "first"}})
    orvane.send("send-clipboard")
    orvane.expect({"event": "clipboard", "direction": "sent", "text": "first"})
    marker = copy_and_expect_sent(orvane, phone, "marker")
    check_equal(harness.clipboard_texts(phone), ["first", "second", "first", "marker"],
                "sending what was sent last is dropped by the link")
    check_equal(marker["body"]["seq"], "4", "sequence numbers of the sent texts")


def rename_and_stale_authentication_are_reported(box):
    orvane, invitation = box.orvane()
    orvane.send("rename   Desk in the study  ")
    orvane.expect({"event": "alias", "alias": "Desk in the study"})
    orvane.send("rename")
    orvane.expect({"event": "alias", "alias": None})
    # A phone that still holds a pairing this computer has forgotten.
    phone = harness.pair(box, orvane, invitation["qrText"], extra=("--exit-after-pair",))
    phone.expect_exit(0)
    device_id = harness.saved_state(box)["deviceID"]
    orvane.send("forget")
    orvane.expect({"event": "pairedDevice", "id": None})
    again = box.phone("connect")
    again.expect({"event": "received", "type": "auth_failed", "body": {"reason": "unknown_device"}})
    orvane.expect({"event": "staleAuth", "deviceID": device_id, "reason": "unknown_device"})


harness.run([
    a_copy_reaches_the_phone_once,
    text_from_the_phone_is_applied_without_echo,
    the_switch_off_drops_both_ways_and_on_sends_nothing_old,
    send_clipboard_sends_what_is_there_again,
    rename_and_stale_authentication_are_reported,
])
