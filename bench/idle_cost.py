#!/usr/bin/env python3
"""Idle cost of `orvane --headless`: CPU seconds, wake-ups (voluntary context switches
of all its threads) and resident memory over a window of quiet time, once with no
phone paired and once with a paired, connected orvane-phone and clipboard sync on;
then the same of orvane-stack-floor, the libraries the program stands on started and
idle, as the reference. Figures, not pass/fail.

    bench/idle_cost.py --bin-dir build-release/bin [--seconds 60] [--json-out F]
"""

import argparse
import json
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402
import proc_figures  # noqa: E402

PAGE = os.sysconf("SC_PAGE_SIZE")
SETTLE_SECONDS = 3


def sample(pid):
    """(CPU seconds of the process, voluntary switches of each of its threads by thread
    id, RSS bytes)."""
    cpu = proc_figures.cpu_seconds_on_cpu(pid)
    switches = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/status") as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches:"):
                        switches[tid] = int(line.split()[1])
        except FileNotFoundError:
            pass  # a thread that ended while we looked
    with open(f"/proc/{pid}/statm") as f:
        rss = int(f.read().split()[1]) * PAGE
    return cpu, switches, rss


def wakeups(before, after):
    """Voluntary switches between two samples. Counted per thread: a thread that ended
    in between takes its count with it, and a sum over the process would then shrink.
    A thread that began in between counts from zero."""
    return sum(count - before.get(tid, 0) for tid, count in after.items())


def measure(name, proc, seconds):
    pid = proc._proc.pid
    # What start-up leaves to do (the settings written behind, the first look at the
    # players) is not idle time.
    time.sleep(SETTLE_SECONDS)
    cpu0, sw0, _ = sample(pid)
    peak = 0
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        time.sleep(1)
        peak = max(peak, sample(pid)[2])
    cpu1, sw1, rss = sample(pid)
    figures = {
        "cpu_s": cpu1 - cpu0,
        "cpu_percent": (cpu1 - cpu0) / seconds * 100,
        "wakeups_per_s": wakeups(sw0, sw1) / seconds,
        "rss_mib": rss / 1048576,
        "peak_rss_mib": peak / 1048576,
        "pss_mib": proc_figures.rollup_kib(pid, "Pss") / 1024,
    }
    print(f"{name:<34} cpu {figures['cpu_s']:7.4f} s ({figures['cpu_percent']:.3f} %)   "
          f"wake-ups {figures['wakeups_per_s']:6.1f} /s   rss {figures['rss_mib']:6.1f} MiB "
          f"(peak {figures['peak_rss_mib']:.1f})   pss {figures['pss_mib']:.1f} MiB", flush=True)
    return figures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--json-out", help="also write the figures here as JSON")
    args = parser.parse_args()
    results = {}
    harness.BIN_DIR = os.path.abspath(args.bin_dir)
    # The phone must outlive the measurement; its usual deadline suits short tests.
    harness.PHONE_TIMEOUT = int(args.seconds) + 120

    box = harness.Sandbox("idle-unpaired")
    try:
        orvane, _ = box.orvane()
        results["unpaired"] = measure("unpaired", orvane, args.seconds)
    finally:
        box.close()

    box = harness.Sandbox("idle-paired")
    try:
        orvane, invitation = box.orvane()
        phone = harness.pair(box, orvane, invitation["qrText"])
        orvane.send("clipboard on")
        orvane.expect({"event": "clipboardSync", "enabled": True})
        results["connected"] = measure("paired, connected, clipboard on", orvane, args.seconds)
        harness.check(phone.running(), "the phone left during the measurement")
    finally:
        box.close()
    # The libraries under the program, started and idle: what the figures above stand on.
    box = harness.Sandbox("idle-floor")
    try:
        floor = box.start("stack-floor", [os.path.join(harness.BIN_DIR, "orvane-stack-floor")])
        floor.expect(lambda event: event.get("text", "").startswith("ready"))
        results["floor"] = measure("the libraries alone (floor)", floor, args.seconds)
    finally:
        box.close()
    if args.json_out:
        with open(args.json_out, "w", encoding="utf-8") as f:
            json.dump(results, f, indent=2)


if __name__ == "__main__":
    main()
