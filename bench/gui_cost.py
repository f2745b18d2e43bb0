#!/usr/bin/env python3
"""Cost of the desktop program (orvane with windows), on the private X server it is run
on (scripts/bench.sh runs it inside tests/desktop/x11_env.sh): start-up to the first
frame of the hub window (5 starts, median), then CPU, wake-ups and memory over a window
of quiet time with a paired orvane-phone connected. Figures, not pass/fail.

    bench/gui_cost.py --bin-dir build-release/bin [--seconds 60] [--json-out F]
"""

import argparse
import json
import os
import signal
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402
import idle_cost  # noqa: E402

STARTS = 5


def desktop(box):
    """Starts the desktop program; returns it and the seconds to its hub's first frame."""
    began = time.monotonic()
    proc = box.start("orvane", [os.path.join(harness.BIN_DIR, "orvane")])
    proc.expect_stderr("first frame of the hub", timeout=60)
    return proc, time.monotonic() - began


def stop(proc):
    proc.signal(signal.SIGTERM)
    proc.wait_exit(timeout=30)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--json-out", help="also write the figures here as JSON")
    args = parser.parse_args()
    harness.BIN_DIR = os.path.abspath(args.bin_dir)
    harness.PHONE_TIMEOUT = int(args.seconds) + 120
    if not os.environ.get("DISPLAY"):
        raise SystemExit("gui_cost: needs a display (run inside tests/desktop/x11_env.sh)")

    box = harness.Sandbox("gui-cost")
    results = {}
    try:
        box.inherit("DISPLAY", "QT_QPA_PLATFORM")
        # The private X server has no GPU: Qt Quick draws in software, as it would there.
        box.extra_env.update(QT_QUICK_BACKEND="software", ORVANE_REPORT_FIRST_FRAME="1")
        # Paired once through the headless front end (terms accepted there); the
        # desktop program then starts as it would for someone who set it up before.
        headless, invitation = box.orvane()
        phone = harness.pair(box, headless, invitation["qrText"])
        headless.send("quit")
        headless.wait_exit()
        phone.kill()

        starts = []
        for _ in range(STARTS):
            proc, seconds = desktop(box)
            starts.append(seconds * 1000)
            stop(proc)
        results["first_frame_ms"] = {"median": statistics.median(starts), "min": min(starts), "max": max(starts)}
        print(f"start to the hub's first frame: median {statistics.median(starts):.0f} ms "
              f"(min {min(starts):.0f}, max {max(starts):.0f})", flush=True)

        proc, _ = desktop(box)
        phone = box.phone("connect", "--host", "127.0.0.1")
        phone.expect({"event": "authenticated"}, timeout=30)
        results["idle_connected"] = idle_cost.measure("desktop idle, phone connected", proc, args.seconds)
        harness.check(phone.running(), "the phone left during the measurement")
        stop(proc)
    finally:
        box.close()
    if args.json_out:
        with open(args.json_out, "w", encoding="utf-8") as f:
            json.dump(results, f, indent=2)


if __name__ == "__main__":
    main()
