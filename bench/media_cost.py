#!/usr/bin/env python3
"""Cost of watching this computer's player: CPU seconds, wake-ups and memory of
`orvane --headless` over a window while mpv plays a tone with a cover, a phone is
paired and connected and receives the track (with a heartbeat every 6 seconds). Run
beside the player on a private session bus; figures, not pass/fail.

    tests/desktop/mpris_env.sh python3 bench/media_cost.py --bin-dir build-release/bin [--seconds 60]
"""

import argparse
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from idle_cost import measure  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    parser.add_argument("--seconds", type=float, default=60)
    args = parser.parse_args()
    if "ORVANE_MPRIS_ENV" not in os.environ:
        sys.exit("media_cost: run inside tests/desktop/mpris_env.sh")
    harness.BIN_DIR = os.path.abspath(args.bin_dir)
    harness.PHONE_TIMEOUT = int(args.seconds) + 120

    subprocess.run([os.environ["ORVANE_MPRIS_ENV"], "start-player"], check=True)
    box = harness.Sandbox("media-cost")
    try:
        box.inherit("DBUS_SESSION_BUS_ADDRESS")
        orvane, invitation = box.orvane()
        phone = harness.pair(box, orvane, invitation["qrText"])
        phone.expect(lambda e: e.get("event") == "received" and e.get("type") == "media_post", what="the track")
        measure("paired, mpv playing with a cover", orvane, args.seconds)
        posts = sum(1 for e in phone.history if e.get("event") == "received" and e.get("type") == "media_post")
        print(f"{'':<34} media_post received: {posts}", flush=True)
        harness.check(phone.running(), "the phone left during the measurement")
    finally:
        box.close()
        subprocess.run([os.environ["ORVANE_MPRIS_ENV"], "stop-player"], check=True)


if __name__ == "__main__":
    main()
