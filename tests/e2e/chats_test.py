"""Chats made from the phone's message notifications, through the whole program: a
conversation appears, a reply typed on the computer goes out through the phone's
notification and is marked sent when the phone says so, the chats survive a restart,
clearing them is for good, and a chats file that cannot be read is kept aside."""

import glob
import json
import os
import time

import harness
from harness import check, check_equal


def send(phone, kind, body):
    phone.send(f"send {kind} " + json.dumps(body, ensure_ascii=False))
    return phone.expect({"event": "sent", "type": kind})


def chats_where(orvane, predicate, what):
    return orvane.expect(lambda e: e.get("event") == "chats" and predicate(e["items"]), what=what)["items"]


def now_ms():
    return str(int(time.time() * 1000))


def archive_path(box):
    return os.path.join(box.data, "Orvane", "messages.json")


def quit(orvane):
    orvane.send("quit")
    orvane.expect_exit(0)


def restart(box):
    """Starts the computer again with the phone still paired (it says so instead of the
    port); returns it once it listens."""
    again = box.start("orvane", [os.path.join(harness.BIN_DIR, "orvane"), "--headless", "--json", "--accept-terms"])
    again.expect_state(state="disconnected", detail="Listening \u2014 Test Phone paired")
    return again


def a_message_becomes_a_chat_that_is_answered_and_kept(box):
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])
    send(phone, "notif_post", {"id": "m-1", "app": "Messages", "title": "Ana", "text": "Dinner at 8?",
                               "time": now_ms(), "reply": "1"})
    items = chats_where(orvane, lambda items: len(items) == 1, "one chat")
    check_equal((items[0]["id"], items[0]["title"], items[0]["app"]), ("messages|ana", "Ana", "Messages"), "the chat")
    check_equal([(m["text"], m["isOutgoing"], m["delivery"]) for m in items[0]["messages"]],
                [("Dinner at 8?", False, "incoming")], "its lines")

    orvane.send("chat-reply messages|ana On my way")
    reply = phone.expect({"event": "received", "type": "notif_reply"})
    check_equal(reply["body"], {"id": "m-1", "text": "On my way"}, "the reply as the phone gets it")
    chats_where(orvane, lambda items: items[0]["messages"][-1]["delivery"] == "sending", "the reply sending")
    send(phone, "notif_reply_result", {"id": "m-1", "ok": "1"})
    items = chats_where(orvane, lambda items: items[0]["messages"][-1]["delivery"] == "sent", "the reply sent")
    saved = items[0]["messages"]

    quit(orvane)
    check_equal(oct(os.stat(archive_path(box)).st_mode & 0o777), "0o600", "the chats file's mode")
    check_equal(oct(os.stat(os.path.dirname(archive_path(box))).st_mode & 0o777), "0o700", "its folder's mode")
    again = restart(box)
    items = chats_where(again, lambda items: len(items) == 1, "the chat after a restart")
    check_equal([(m["id"], m["text"], m["delivery"]) for m in items[0]["messages"]],
                [(m["id"], m["text"], m["delivery"]) for m in saved], "the lines after a restart")


def cleared_chats_stay_cleared(box):
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])
    send(phone, "notif_post", {"id": "m-1", "app": "Messages", "title": "Ana", "text": "Hi", "time": now_ms()})
    chats_where(orvane, lambda items: len(items) == 1, "one chat")
    orvane.send("clear-chats")
    chats_where(orvane, lambda items: items == [], "no chats")
    # The phone still holds the old notification; only one posted after the clear counts
    # (a second later: the phone's clock counts milliseconds, the computer's finer).
    send(phone, "notif_post", {"id": "m-2", "app": "Messages", "title": "Bo", "text": "Later",
                               "time": str(int(now_ms()) + 1000)})
    items = chats_where(orvane, lambda items: len(items) == 1, "only the new chat")
    check_equal(items[0]["id"], "messages|bo", "the chat after clearing")
    quit(orvane)
    again = restart(box)
    again.send("chats")
    items = chats_where(again, lambda items: True, "the listed chats")
    check_equal([c["id"] for c in items], ["messages|bo"], "the chats after a restart")


def an_unreadable_chats_file_is_kept_aside(box):
    os.makedirs(os.path.dirname(archive_path(box)), mode=0o700)
    with open(archive_path(box), "w", encoding="utf-8") as f:
        f.write('[{"id":"messages|ana","app":"Messages","contact":"Ana","updatedAt":1.0,"messages":[]}]')
    orvane, _ = box.orvane()
    error = orvane.expect({"event": "archiveError"})
    check(error["text"].startswith("Saved chats could not be loaded: "), f"the load text: {error['text']}")
    kept = glob.glob(archive_path(box) + ".unreadable-*")
    check_equal(len(kept), 1, "files kept aside")
    with open(kept[0], encoding="utf-8") as f:
        check("canReply" not in f.read(), "the kept file is the original")


harness.run([
    a_message_becomes_a_chat_that_is_answered_and_kept,
    cleared_chats_stay_cleared,
    an_unreadable_chats_file_is_kept_aside,
])
