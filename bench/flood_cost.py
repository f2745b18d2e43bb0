#!/usr/bin/env python3
"""A paired phone floods `orvane --headless --json` with `notif_post` frames as fast as
TLS carries them; the program's standard output is a pipe read here. Measured: events
per second from the first frame sent until the last `notification` line is read, and
the program's peak resident memory (VmHWM) beside its memory before the flood, which
shows whether what waits for the main thread stays bounded. Figures, not pass/fail.

    bench/flood_cost.py --bin-dir build-release/bin [--events 300000] [--json-out F]
"""

import argparse
import json
import os
import select
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402
import proc_figures  # noqa: E402
import raw_tls  # noqa: E402

# One line per notification that reached the view, whatever else the line holds.
MARKER = b'{"event":"notification","id":"f-'


def notif_frame(index):
    # About 300 bytes on the wire, like the codec benchmark's notification. Not from a
    # messaging app, so the chats take no line from it.
    body = {"id": f"f-{index}", "app": "Signal", "title": "Ana Pereira",
            "text": "Are we still on for dinner tonight? I booked the table by the window for eight, "
                    "and they said we can bring our own wine.", "time": str(1700000000000 + index), "reply": "1"}
    return raw_tls.frame("notif_post", f"m-{index:08d}", body)


def pair_once(box):
    """Pairs orvane-phone with a first run of the program, whose pairing stays on disk;
    returns the phone's saved state (device id and token)."""
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])
    phone.kill()
    orvane.kill()
    return harness.saved_state(box)


# The reader of the program's output runs in a process of its own, so that it never
# waits for the sender's share of one interpreter. It prints the monotonic time (the
# same clock in every process) at which the last wanted notification line came, and
# how many it saw, then keeps draining so that the program never blocks on the pipe.
READER = r"""
import os, sys, time
marker, wanted = sys.argv[1].encode(), int(sys.argv[2])
seen, tail = 0, b""
while seen < wanted:
    chunk = os.read(0, 1 << 20)
    if not chunk:
        break
    data = tail + chunk
    seen += data.count(marker)
    tail = data[-(len(marker) - 1):]
print(time.monotonic(), seen, flush=True)
while os.read(0, 1 << 20):
    pass
"""


def authenticate(client, state):
    client.send(raw_tls.frame("authenticate", "auth-1", {"device_id": state["deviceID"], "phone_token": state["phoneToken"]}))
    while True:
        reply = client.read_frame()
        if reply["type"] == "auth_ok":
            return
        if reply["type"] == "auth_failed":
            raise harness.Failure(f"authentication refused: {reply}")


def flood(box, state, events):
    argv = [os.path.join(harness.BIN_DIR, "orvane"), "--headless", "--json", "--accept-terms"]
    proc = subprocess.Popen(argv, env=box.env(), stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    reader = subprocess.Popen([sys.executable, "-c", READER, MARKER.decode(), str(events)], stdin=proc.stdout,
                              stdout=subprocess.PIPE, text=True)
    proc.stdout.close()  # the reader's alone now
    try:
        deadline = time.monotonic() + 20
        while harness.port_is_free(harness.COMPUTER_PORT):
            if time.monotonic() > deadline or proc.poll() is not None:
                raise harness.Failure("the program did not start listening")
            time.sleep(0.05)
        frames = [notif_frame(i) for i in range(events)]
        payload = b"".join(frames)
        client = raw_tls.RawClient(timeout=60)
        authenticate(client, state)
        rss_before = proc_figures.status_kib(proc.pid, "VmRSS")
        cpu_before = proc_figures.cpu_seconds_by_thread(proc.pid)
        started = time.monotonic()
        step = 1 << 20
        for offset in range(0, len(payload), step):
            client.send(payload[offset:offset + step])
        sent_at = time.monotonic()
        if not select.select([reader.stdout], [], [], 120)[0]:
            raise harness.Failure("the flood did not come through within 120 s")
        try:
            finished_at, seen = reader.stdout.readline().split()
        except ValueError:
            raise harness.Failure("the program's output ended before the flood came through") from None
        seconds = float(finished_at) - started
        cpu_after = proc_figures.cpu_seconds_by_thread(proc.pid)
        spent = {name: cpu_after[name] - cpu_before.get(name, 0) for name in cpu_after}
        figures = {
            "events": events,
            "seen": int(seen),
            "seconds": seconds,
            "events_per_s": int(seen) / seconds,
            "send_seconds": sent_at - started,
            "rss_before_mib": rss_before / 1024,
            "peak_rss_mib": proc_figures.status_kib(proc.pid, "VmHWM") / 1024,
            # CPU time per event of the main thread and of the server's thread: steadier
            # than the rate on a shared machine, where the sender competes for the cores.
            "main_us_per_event": spent.get("main", 0) / events * 1e6,
            "server_us_per_event": spent.get("zel.pairing-ser", 0) / events * 1e6,
        }
        client.sock.close()
        return figures
    finally:
        proc.kill()
        proc.wait()
        reader.kill()
        reader.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    parser.add_argument("--events", type=int, default=300000)
    parser.add_argument("--runs", type=int, default=5, help="floods, each into a fresh start; the median is reported")
    parser.add_argument("--json-out", help="also write the figures here as JSON")
    args = parser.parse_args()
    harness.BIN_DIR = os.path.abspath(args.bin_dir)

    box = harness.Sandbox("flood")
    try:
        state = pair_once(box)
        runs = [flood(box, state, args.events) for _ in range(args.runs)]
    finally:
        box.close()
    runs.sort(key=lambda run: run["events_per_s"])
    figures = dict(runs[len(runs) // 2])
    figures["runs"] = len(runs)
    figures["min_events_per_s"] = runs[0]["events_per_s"]
    figures["max_events_per_s"] = runs[-1]["events_per_s"]
    figures["max_peak_rss_mib"] = max(run["peak_rss_mib"] for run in runs)
    print(f"notif_post flood, median of {len(runs)} runs: {figures['seen']} of {figures['events']} events in "
          f"{figures['seconds']:.2f} s = {figures['events_per_s']:,.0f} events/s "
          f"(runs {figures['min_events_per_s']:,.0f}–{figures['max_events_per_s']:,.0f}); rss "
          f"{figures['rss_before_mib']:.1f} MiB before, peak {figures['max_peak_rss_mib']:.1f} MiB at most; CPU per event: "
          f"main thread {figures['main_us_per_event']:.2f} µs, server thread {figures['server_us_per_event']:.2f} µs",
          flush=True)
    if args.json_out:
        with open(args.json_out, "w", encoding="utf-8") as f:
            json.dump(figures, f, indent=2)


if __name__ == "__main__":
    main()
