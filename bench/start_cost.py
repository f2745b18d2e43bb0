#!/usr/bin/env python3
"""Time from starting `orvane --headless --json` to its listening on 17431, with the TLS
identity made by an earlier start (as on every start but the first): the moment the
program reports "Listening on port 17431" and a connection to the port is accepted.
Several starts; the median with its minimum and maximum. Figures, not pass/fail.

    bench/start_cost.py --bin-dir build-release/bin [--starts 9] [--json-out F]
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402


def one_start(box):
    argv = [os.path.join(harness.BIN_DIR, "orvane"), "--headless", "--json", "--accept-terms"]
    began = time.monotonic()
    proc = subprocess.Popen(argv, env=box.env(), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL)
    try:
        for line in proc.stdout:
            if b'"detail":"Listening on port' in line:
                break
        else:
            raise harness.Failure("the program ended without listening")
        reported = time.monotonic() - began
        if harness.port_is_free(harness.COMPUTER_PORT):
            raise harness.Failure("the program reported listening but the port refuses")
        return reported
    finally:
        proc.kill()
        proc.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    parser.add_argument("--starts", type=int, default=9)
    parser.add_argument("--json-out")
    args = parser.parse_args()
    harness.BIN_DIR = os.path.abspath(args.bin_dir)
    if not harness.port_is_free(harness.COMPUTER_PORT):
        raise SystemExit(f"port {harness.COMPUTER_PORT} is in use; the figures would not be ours")

    box = harness.Sandbox("start")
    try:
        one_start(box)  # makes the identity and warms the file cache
        times = [one_start(box) for _ in range(args.starts)]
    finally:
        box.close()
    ms = sorted(t * 1000 for t in times)
    figures = {"starts": args.starts, "median_ms": statistics.median(ms), "min_ms": ms[0], "max_ms": ms[-1]}
    print(f"start to listening, identity kept: median {figures['median_ms']:.1f} ms "
          f"(min {figures['min_ms']:.1f}, max {figures['max_ms']:.1f}) over {args.starts} starts", flush=True)
    if args.json_out:
        with open(args.json_out, "w", encoding="utf-8") as f:
            json.dump(figures, f, indent=2)


if __name__ == "__main__":
    main()
