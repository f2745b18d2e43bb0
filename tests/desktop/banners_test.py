"""Banners of the whole program: orvane --headless in a private desktop session whose
notification server is python-dbusmock's (tests/desktop/session_env.sh --server mock),
with orvane-phone as the phone. The stand-in server logs what it was asked to show and
sends the signals a person's clicks would, so the test drives Dismiss, Reply and Copy
from the banner and sees their effect reach the phone.

    tests/desktop/session_env.sh --server mock python3 tests/desktop/banners_test.py --bin-dir build/bin
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402
from harness import check, check_equal  # noqa: E402

SERVER = ["--dest", "org.freedesktop.Notifications", "--object-path", "/org/freedesktop/Notifications"]


def gdbus(*args):
    return subprocess.run(["gdbus", "call", "--session", *SERVER, *args], capture_output=True, text=True, check=True,
                          timeout=10 * harness.TIME_SCALE).stdout


def server_signal(name, signature, args):
    """The notification server's signal, as a click on a banner sends it."""
    gdbus("--method", "org.freedesktop.DBus.Mock.EmitSignal", "org.freedesktop.Notifications", name, signature, args)


def notify_calls():
    return gdbus("--method", "org.freedesktop.DBus.Mock.GetMethodCalls", "Notify")


def swap_server(*capabilities):
    env_script = os.environ["ORVANE_SESSION_ENV"]
    subprocess.run([env_script, "stop-server"], check=True, timeout=30 * harness.TIME_SCALE)
    subprocess.run([env_script, "start-server", "mock", *capabilities], check=True, timeout=30 * harness.TIME_SCALE)


SESSION = ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "QT_QPA_PLATFORM")


def paired(box):
    box.inherit(*SESSION)
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])
    return orvane, phone


def wait_for_banner(orvane, text):
    """The server is told asynchronously: wait until its log holds the banner."""
    for _ in range(int(100 * harness.TIME_SCALE)):
        calls = notify_calls()
        if text in calls:
            return calls
        subprocess.run(["sleep", "0.1"])  # polling the server's log, not timing a rule
    raise harness.Failure(f"no banner with {text!r}; the server was asked: {notify_calls()}")


def dismiss_from_the_banner_reaches_the_phone(box):
    swap_server()  # a server without inline replies
    orvane, phone = paired(box)
    phone.send('send notif_post {"id":"n-1","app":"Signal","title":"Ana","text":"See you at 8","reply":"1"}')
    calls = wait_for_banner(orvane, "See you at 8")
    for wanted in ("'Signal'", "'Ana'", "'zel.notif.dismiss'", "'Dismiss'", "'zel.notif.replyinput'", "'Reply'"):
        check(wanted in calls, f"the banner lacks {wanted}: {calls}")
    # Reply on a server that cannot take the text in place: the window is asked for.
    server_signal("ActionInvoked", "us", "[<uint32 1>, <'zel.notif.replyinput'>]")
    orvane.expect({"event": "replyRequested", "id": "n-1"})
    server_signal("ActionInvoked", "us", "[<uint32 1>, <'zel.notif.dismiss'>]")
    phone.expect({"event": "received", "type": "notif_dismiss", "body": {"id": "n-1"}})
    orvane.expect(lambda e: e.get("event") == "notifications" and e["items"] == [], what="the list emptied")


def a_reply_typed_in_the_banner_reaches_the_phone(box):
    swap_server("actions", "body", "inline-reply")
    orvane, phone = paired(box)
    phone.send('send notif_post {"id":"n-2","app":"Signal","title":"Bo","text":"Coming?","reply":"1"}')
    calls = wait_for_banner(orvane, "Coming?")
    check("'inline-reply'" in calls, f"the reply is not offered in place: {calls}")
    server_signal("NotificationReplied", "us", "[<uint32 1>, <'Yes, in ten minutes'>]")
    phone.expect({"event": "received", "type": "notif_reply", "body": {"id": "n-2", "text": "Yes, in ten minutes"}})


def copying_a_link_from_its_banner_is_not_sent_back(box):
    swap_server()
    box.inherit(*SESSION)
    orvane, phone = harness.paired_with_clipboard_sync(box)
    # With auto-open off a link is offered in a banner rather than opened.
    orvane.send("auto-open off")
    orvane.expect({"event": "autoOpen", "enabled": False})
    phone.send('send url_share {"url":"https://files.example.com/report.pdf","app":"Files"}')
    wait_for_banner(orvane, "https://files.example.com/report.pdf")
    server_signal("ActionInvoked", "us", "[<uint32 1>, <'zel.url.copy'>]")
    pasted = ""
    for _ in range(int(100 * harness.TIME_SCALE)):
        pasted = subprocess.run(["xclip", "-selection", "clipboard", "-o"], capture_output=True, text=True).stdout
        if pasted:
            break
        subprocess.run(["sleep", "0.1"])
    check_equal(pasted, "https://files.example.com/report.pdf", "what another program pastes")
    subprocess.run(["xclip", "-selection", "clipboard", "-i"], input="marker", text=True, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    phone.expect({"event": "received", "type": "clipboard_update", "body": {"text": "marker"}})
    check_equal(harness.clipboard_texts(phone), ["marker"], "clipboard texts the phone got")


harness.run([
    dismiss_from_the_banner_reaches_the_phone,
    a_reply_typed_in_the_banner_reaches_the_phone,
    copying_a_link_from_its_banner_is_not_sent_back,
])
