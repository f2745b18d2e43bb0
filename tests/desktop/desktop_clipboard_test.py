"""The whole program on a real desktop: orvane --headless on the display that the
calling script started (tests/desktop/x11_env.sh or sway_env.sh) syncs that display's
clipboard with orvane-phone, while another program (xclip, or wl-copy and wl-paste)
plays the user copying and pasting.

    tests/desktop/x11_env.sh python3 tests/desktop/desktop_clipboard_test.py --bin-dir build/bin
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402
from harness import check, check_equal  # noqa: E402

WAYLAND = bool(os.environ.get("WAYLAND_DISPLAY"))
# A one-pixel PNG: content without any text.
PNG = bytes.fromhex(
    "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
    "1f15c4890000000d49444154789c6360000002000154a24f5d0000000049454e44ae426082")


def run(argv, data=None, read=False):
    # A copying program stays in the background to serve what it copied: its output
    # must not be a pipe that we wait to close.
    out = subprocess.PIPE if read else subprocess.DEVNULL
    return subprocess.run(argv, input=data, stdout=out, stderr=subprocess.DEVNULL, timeout=10 * harness.TIME_SCALE,
                          check=True).stdout


def user_copies(text=None, image=None):
    """Another program takes the clipboard, as the user copying there."""
    if WAYLAND:
        if image is not None:
            run(["wl-copy", "--type", "image/png"], image)
        else:
            run(["wl-copy"], text.encode())
    elif image is not None:
        run(["xclip", "-selection", "clipboard", "-t", "image/png", "-i"], image)
    else:
        run(["xclip", "-selection", "clipboard", "-i"], text.encode())


def user_pastes():
    if WAYLAND:
        return run(["wl-paste", "--no-newline", "--type", "text/plain;charset=utf-8"], read=True).decode()
    return run(["xclip", "-selection", "clipboard", "-o"], read=True).decode()


def paired_with_sync_on(box):
    box.inherit("DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM")
    return harness.paired_with_clipboard_sync(box)


def a_copy_in_another_program_reaches_the_phone(box):
    orvane, phone = paired_with_sync_on(box)
    user_copies("copied in another program — ✓")
    orvane.expect({"event": "clipboard", "direction": "sent", "text": "copied in another program — ✓"})
    phone.expect({"event": "received", "type": "clipboard_update", "body": {"text": "copied in another program — ✓"}})
    # An image is looked at and not sent; the next text is.
    user_copies(image=PNG)
    user_copies("after the image")
    phone.expect({"event": "received", "type": "clipboard_update", "body": {"text": "after the image"}})
    check_equal(harness.clipboard_texts(phone), ["copied in another program — ✓", "after the image"], "texts the phone got")


def text_from_the_phone_can_be_pasted_and_is_not_echoed(box):
    orvane, phone = paired_with_sync_on(box)
    phone.send('send clipboard_update {"clip_id":"p-1","origin":"phone","seq":"7","text":"from the phone ✓"}')
    orvane.expect({"event": "clipboard", "direction": "received", "text": "from the phone ✓"})
    check_equal(user_pastes(), "from the phone ✓", "what another program pastes")
    # The computer's own write is not a copy: the next copy is the first thing sent.
    user_copies("marker")
    phone.expect({"event": "received", "type": "clipboard_update", "body": {"text": "marker"}})
    check_equal(harness.clipboard_texts(phone), ["marker"], "texts the phone got")
    marker = orvane.expect({"event": "clipboard", "direction": "sent", "text": "marker"})
    sent = [e for e in orvane.events_before(marker) if e.get("event") == "clipboard" and e.get("direction") == "sent"]
    check_equal(sent, [], "texts the computer sent before the marker")


harness.run([
    a_copy_in_another_program_reaches_the_phone,
    text_from_the_phone_can_be_pasted_and_is_not_echoed,
])
