#!/usr/bin/env python3
"""Pictures of what people see, taken on a private display (run by scripts/screenshots.sh
inside tests/desktop/session_env.sh --server dunst): the desktop banners of a phone's
notification and of a shared link, as the notification server shows them.

Writes build/screenshots/*.png."""

import os
import subprocess
import sys

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
import harness  # noqa: E402

OUT = os.path.join(root, "build", "screenshots")


def shoot(name):
    path = os.path.join(OUT, name)
    subprocess.run([os.path.join(harness.BIN_DIR, "orvane-screenshot"), path], check=True, timeout=30)
    print(f"screenshots: {path}", flush=True)


def banners_shown():
    return int(subprocess.run(["dunstctl", "count", "displayed"], capture_output=True, text=True).stdout.strip() or 0)


def wait_for_banners(count):
    for _ in range(100):
        if banners_shown() >= count:
            subprocess.run(["sleep", "0.5"])  # let dunst finish drawing before the picture
            return
        subprocess.run(["sleep", "0.1"])
    raise harness.Failure(f"dunst shows {banners_shown()} banners, not {count}")


def main():
    harness.BIN_DIR = os.path.abspath(sys.argv[1])
    os.makedirs(OUT, exist_ok=True)
    box = harness.Sandbox("screenshots")
    try:
        box.inherit("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "QT_QPA_PLATFORM")
        orvane, invitation = box.orvane()
        phone = harness.pair(box, orvane, invitation["qrText"], name="Pixel 8")
        phone.send('send notif_post {"id":"n-1","app":"Signal","title":"Ana Lima",'
                   '"text":"Dinner at 8? I booked the place by the river.","reply":"1"}')
        wait_for_banners(1)
        shoot("banner-notification.png")
        orvane.send("auto-open off")
        phone.send('send url_share {"url":"https://example.com/articles/quiet-trains","context":"Worth reading",'
                   '"app":"Chrome"}')
        wait_for_banners(2)
        shoot("banner-link.png")
    finally:
        box.close()


if __name__ == "__main__":
    main()
