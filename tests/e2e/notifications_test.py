"""The phone's notifications, links and messages through the whole program: the lists
the computer keeps, replies and dismissals going back, acknowledgements both ways, and
the delivery state of a computer's link when the phone acknowledges late or never."""

import json
import time

import harness
from harness import check, check_equal


def send(phone, kind, body):
    phone.send(f"send {kind} " + json.dumps(body, ensure_ascii=False))
    return phone.expect({"event": "sent", "type": kind, "body": {k: v for k, v in body.items()}})


def last_items(orvane, event, predicate):
    """Waits for a list event whose items satisfy `predicate`; returns its items."""
    return orvane.expect(lambda e: e.get("event") == event and predicate(e["items"]), what=f"{event} as wanted")["items"]


def a_notification_is_listed_answered_and_dismissed(box):
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])
    send(phone, "notif_post", {"id": "n-1", "app": "Signal", "title": "Ana", "text": "Dinner at 8?", "time": "1700000000",
                               "reply": "1"})
    items = last_items(orvane, "notifications", lambda items: len(items) == 1)
    check_equal(items[0], {"id": "n-1", "app": "Signal", "title": "Ana", "text": "Dinner at 8?", "time": 1700000000,
                           "replyable": True, "replyResult": None, "replyDetail": None}, "the listed notification")

    orvane.send("reply n-1 On my way")
    reply = phone.expect({"event": "received", "type": "notif_reply"})
    check_equal(reply["body"], {"id": "n-1", "text": "On my way"}, "the reply")
    send(phone, "notif_reply_result", {"id": "n-1", "ok": "0", "reason": "expired"})
    items = last_items(orvane, "notifications", lambda items: items and items[0]["replyResult"] is False)
    check_equal(items[0]["replyDetail"], "expired", "why the reply failed")

    orvane.send("dismiss n-1")
    phone.expect({"event": "received", "type": "notif_dismiss", "body": {"id": "n-1"}})
    last_items(orvane, "notifications", lambda items: items == [])


def links_and_messages_from_the_phone_are_acknowledged_and_listed(box):
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])
    sent = send(phone, "url_share", {"url": "https://example.com/article", "context": "Read this", "app": "Chrome"})
    phone.expect({"event": "received", "type": "ack", "body": {"ack_for": sent["id"]}})
    items = last_items(orvane, "links", lambda items: len(items) == 1)
    check_equal({k: items[0][k] for k in ("outgoing", "url", "acked", "context")},
                {"outgoing": False, "url": "https://example.com/article", "acked": None, "context": "Read this"},
                "the received link")
    sent = send(phone, "message", {"text": "hello from the phone"})
    phone.expect({"event": "received", "type": "ack", "body": {"ack_for": sent["id"]}})
    items = last_items(orvane, "messages", lambda items: len(items) == 1)
    check_equal((items[0]["outgoing"], items[0]["text"]), (False, "hello from the phone"), "the received message")


def a_message_from_the_computer_is_delivered(box):
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])
    orvane.send("send-message hello from the computer")
    pending = last_items(orvane, "messages", lambda items: len(items) == 1)
    received = phone.expect({"event": "received", "type": "message", "body": {"text": "hello from the computer"}})
    # The first listing may come before the line is bound to its envelope or just after,
    # on a busy machine; either way it is not yet acknowledged.
    check(pending[0]["acked"] is None and (pending[0]["id"].startswith("pending-") or pending[0]["id"] == received["id"]),
          f"a new line is pending: {pending}")
    items = last_items(orvane, "messages", lambda items: items[0]["acked"] is True)
    check_equal(items[0]["id"], received["id"], "the line took its envelope's id")


def a_late_acknowledgement_delivers_and_none_fails(box):
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])
    phone.send("auto-ack off")
    orvane.send("send-link https://example.com/late")
    late = phone.expect({"event": "received", "type": "url_share", "body": {"url": "https://example.com/late"}})
    arrived = time.monotonic()
    orvane.send("send-link https://example.com/never")
    never = phone.expect({"event": "received", "type": "url_share", "body": {"url": "https://example.com/never"}})
    # A slow phone: it acknowledges the first link 7 s after it came, inside the 8 s.
    time.sleep(max(0.0, 7.0 - (time.monotonic() - arrived)))
    phone.send('send ack {"ack_for": "%s"}' % late["id"])
    items = last_items(orvane, "links", lambda items: len(items) == 2 and None not in (items[0]["acked"], items[1]["acked"]))
    by_url = {item["url"]: item for item in items}
    check_equal((by_url["https://example.com/late"]["id"], by_url["https://example.com/late"]["acked"]),
                (late["id"], True), "the late link")
    check_equal((by_url["https://example.com/never"]["id"], by_url["https://example.com/never"]["acked"]),
                (never["id"], False), "the unacknowledged link")


def nothing_leaves_while_disconnected(box):
    orvane, _ = box.orvane()
    orvane.send("send-message nobody is there")
    orvane.send("send-link https://example.com")
    orvane.send("reply n-1 too late")
    orvane.send("new-code")
    fresh = orvane.expect({"event": "invitation"})
    lists = [e for e in orvane.events_before(fresh) if e.get("event") in ("messages", "links", "notifications")]
    check_equal(lists, [], "lists changed while no phone was connected")


harness.run([
    a_notification_is_listed_answered_and_dismissed,
    links_and_messages_from_the_phone_are_acknowledged_and_listed,
    a_message_from_the_computer_is_delivered,
    a_late_acknowledgement_delivers_and_none_fails,
    nothing_leaves_while_disconnected,
])
