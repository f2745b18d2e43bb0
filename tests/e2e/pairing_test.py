"""Pairing seen from both ends: approval and the saved credential, authenticating
again, one session at a time, denial, a requester that leaves, forgetting on either
side, and acknowledged messages in both directions."""

import json
import os
import stat

import harness
from harness import check, check_equal


def approved_pairing_is_saved_and_authenticates_again(box):
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"], name="Pixel Test", extra=("--exit-after-pair",))
    phone.expect_exit(0)
    orvane.expect_state(detail="Connection lost \u2014 still listening")
    state = harness.saved_state(box)
    mode = stat.S_IMODE(os.stat(box.phone_state).st_mode)
    check_equal(mode, 0o600, "state file mode")
    for key in ("deviceID", "phoneToken", "pinB64", "host", "port", "macName", "discoveryToken"):
        check(key in state, f"state file lacks {key}: {state}")
    check_equal(state["host"], "127.0.0.1", "saved host")
    check_equal(state["port"], 17431, "saved port")
    check(isinstance(state["macName"], str) and state["macName"], f"saved macName {state['macName']!r}")
    check(state["pinB64"] in invitation["qrText"], "saved pin is not the QR pin")
    check(len(state["discoveryToken"]) == 6 and state["discoveryToken"].isdigit(), f"discovery token {state['discoveryToken']!r}")
    announced = [e for e in orvane.history if e.get("event") == "pairedDevice"]
    check_equal([(e["name"], e["id"]) for e in announced], [("Pixel Test", state["deviceID"])], "pairedDevice events")

    again = box.phone("connect")
    again.expect({"event": "sent", "type": "authenticate", "body": {"device_id": state["deviceID"]}})
    ok = again.expect({"event": "received", "type": "auth_ok"})
    check_equal(ok["body"].get("discovery_token"), state["discoveryToken"], "auth_ok discovery_token")
    again.expect({"event": "authenticated", "deviceID": state["deviceID"]})
    orvane.expect_state(state="connected")


def second_authentication_closes_the_first(box):
    orvane, invitation = box.orvane()
    first = harness.pair(box, orvane, invitation["qrText"])
    second = box.phone("connect")
    second.expect({"event": "authenticated"})
    first.expect({"event": "closed"})
    first.expect_exit(0)
    # The newer session is the live one: it still gets answers.
    second.send("send ping")
    second.expect({"event": "received", "type": "pong"})
    # The link stays up through the takeover: the computer's last word on it is connected.
    states = [e["state"] for e in orvane.history if e.get("event") == "state"]
    check_equal(states[-1], "connected", "the state after the takeover")


def denied_request_is_told_denied_by_user(box):
    orvane, invitation = box.orvane()
    phone = box.phone("pair", "--qr", invitation["qrText"], "--host", "127.0.0.1")
    orvane.expect({"event": "pending", "deviceName": "orvane-phone"})
    orvane.expect_state(state="awaitingApproval")
    orvane.send("deny")
    phone.expect({"event": "received", "type": "pair_denied", "body": {"reason": "denied_by_user"}})
    phone.expect({"event": "closed"})
    phone.expect_exit(4)
    check(not os.path.exists(box.phone_state), "a denied phone saved a pairing")
    fresh = orvane.expect({"event": "invitation"})
    check(fresh["qrText"] != invitation["qrText"], "no new invitation after the denial")


def requester_leaving_cancels_the_request(box):
    orvane, invitation = box.orvane()
    phone = box.phone("pair", "--qr", invitation["qrText"], "--host", "127.0.0.1")
    orvane.expect({"event": "pending"})
    orvane.skip_unread()
    phone.send("quit")
    phone.expect_exit(0)
    orvane.expect_state(state="disconnected", detail="Pairing request cancelled \u2014 still listening")
    fresh = orvane.expect({"event": "invitation"})
    check(fresh["qrText"] != invitation["qrText"], "no new invitation after the cancelled request")
    orvane.send("approve")  # nothing is pending any more: this must not pair anyone
    orvane.send("new-code")
    orvane.expect({"event": "invitation"})
    check(not any(e.get("event") == "pairedDevice" for e in orvane.history), "a cancelled request was paired")


def forgetting_on_the_computer_revokes_the_phone(box):
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])
    orvane.skip_unread()
    orvane.send("forget")
    phone.expect({"event": "received", "type": "pairing_revoked"})
    phone.expect({"event": "forgotten", "by": "computer"})
    phone.expect({"event": "closed"})
    phone.expect_exit(0)
    orvane.expect({"event": "pairedDevice", "name": None, "id": None})
    orvane.expect({"event": "historyCleared"})
    orvane.expect_state(state="disconnected", detail="Device forgotten \u2014 still listening")
    check(not os.path.exists(box.phone_state), "the revoked phone kept its state file")


def forgetting_from_the_phone_clears_both_sides(box):
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])
    state = harness.saved_state(box)
    orvane.skip_unread()
    phone.send("forget")
    phone.expect({"event": "sent", "type": "forget_device", "body": {"device_id": state["deviceID"]}})
    phone.expect({"event": "received", "type": "forget_done"})
    phone.expect({"event": "forgotten", "by": "phone"})
    phone.expect({"event": "closed"})
    phone.expect_exit(0)
    check(not os.path.exists(box.phone_state), "forget_done did not delete the state file")
    orvane.expect({"event": "pairedDevice", "name": None, "id": None})
    orvane.expect({"event": "historyCleared"})
    orvane.expect_state(state="disconnected", detail="Phone forgot pairing \u2014 still listening")
    # The old credential is worthless now.
    with open(box.phone_state + ".old", "w", encoding="utf-8") as f:
        json.dump(state, f)
    os.chmod(box.phone_state + ".old", 0o600)
    stale = box.phone("connect", state=box.phone_state + ".old")
    stale.expect({"event": "received", "type": "auth_failed", "body": {"reason": "unknown_device"}})
    stale.expect_exit(4)


def messages_are_acknowledged_both_ways(box):
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])

    orvane.send("message hello from the computer")
    received = phone.expect({"event": "received", "type": "message", "body": {"text": "hello from the computer"}})
    phone.expect({"event": "sent", "type": "ack", "body": {"ack_for": received["id"]}})
    orvane.expect({"event": "messageStatus", "id": received["id"], "acked": True})

    phone.send('send message {"text":"hello from the phone"}')
    sent = phone.expect({"event": "sent", "type": "message"})
    phone.expect({"event": "received", "type": "ack", "body": {"ack_for": sent["id"]}})
    orvane.expect({"event": "message", "text": "hello from the phone"})

    phone.send('send message {"text":""}')
    phone.expect({"event": "received", "type": "error", "body": {"reason": "empty_message"}})
    phone.send("send ping")  # an authenticated connection survives the refusal
    phone.expect({"event": "received", "type": "pong"})


def phone_disconnect_ends_the_session(box):
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])
    orvane.skip_unread()
    phone.send("disconnect")
    phone.expect({"event": "sent", "type": "disconnect"})
    phone.expect_exit(0)
    orvane.expect_state(state="disconnected", detail="Phone disconnected \u2014 still listening")


harness.run([
    approved_pairing_is_saved_and_authenticates_again,
    second_authentication_closes_the_first,
    denied_request_is_told_denied_by_user,
    requester_leaving_cancels_the_request,
    forgetting_on_the_computer_revokes_the_phone,
    forgetting_from_the_phone_clears_both_sides,
    messages_are_acknowledged_both_ways,
    phone_disconnect_ends_the_session,
])
