#!/usr/bin/env python3
"""Gathers the figures `make bench` wrote into build/bench/ (the benchmark programs'
JSON output and the scripts' --json-out files) into build/bench/summary.md: one table of
figure | goal | measured | reference | ratio | holds. A figure whose run is missing is
listed as not measured, never as holding.

    bench/summary.py [--dir build/bench]
"""

import argparse
import json
import os


def load(folder, name):
    path = os.path.join(folder, name)
    if not os.path.exists(path):
        return None
    with open(path, encoding="utf-8") as f:
        return json.load(f)


def benchmark(results, prefix, aggregate=None):
    """The entry of a Google Benchmark run whose name starts with `prefix` (its median
    aggregate when `aggregate` is given); None when absent or skipped."""
    if not results:
        return None
    for entry in results.get("benchmarks", []):
        if entry.get("error_occurred"):
            continue
        name = entry["name"]
        if aggregate:
            if entry.get("run_type") == "aggregate" and entry.get("aggregate_name") == aggregate and \
                    name.split("_" + aggregate)[0] == prefix:
                return entry
        elif name == prefix or name.startswith(prefix + "/"):
            return entry
    return None


def nanoseconds(entry):
    scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[entry.get("time_unit", "ns")]
    return entry["real_time"] * scale


class Table:
    def __init__(self):
        self.rows = []

    def add(self, figure, goal, measured, reference="—", ratio="—", holds=None):
        """`holds` is True or False against a goal, "—" for a figure only reported, and
        None when the figure was not measured."""
        if holds is None:
            verdict = "not measured"
        elif holds == "—":
            verdict = "—"
        else:
            verdict = "yes" if holds else "**no**"
        self.rows.append((figure, goal, measured, reference, ratio, verdict))

    def missing(self, figure, goal):
        self.add(figure, goal, "—")

    def markdown(self):
        lines = ["| figure | goal | measured | reference | ratio | holds |", "|---|---|---|---|---|---|"]
        lines += ["| " + " | ".join(row) + " |" for row in self.rows]
        return "\n".join(lines) + "\n"


def codec_rows(table, codec):
    ours = benchmark(codec, "BM_CutParseValidate", "median")
    old = benchmark(codec, "BM_CutParseValidateReference", "median")
    floor = benchmark(codec, "BM_FloorSimdjsonDom", "median")
    goal = "≤ 0.8 µs and ≤ 0.5 × the old codec"
    if not ours or not old:
        table.missing("cut + parse + validate, 300-byte `notif_post`", goal)
        return
    ns, old_ns = nanoseconds(ours), nanoseconds(old)
    table.add("cut + parse + validate, 300-byte `notif_post`", goal, f"{ns / 1000:.3f} µs",
              f"old codec {old_ns / 1000:.3f} µs", f"{ns / old_ns:.2f}", ns <= 800 and ns / old_ns <= 0.5)
    if floor:
        floor_ns = nanoseconds(floor)
        table.add("the same beside the parser's own floor (parse only)", "reported", f"{ns / 1000:.3f} µs",
                  f"simdjson DOM parse {floor_ns / 1000:.3f} µs", f"{ns / floor_ns:.2f}", "—")


def loopback_rows(table, loopback):
    def spread(entry, what):
        c = entry
        return f"{c[what + '_ratio']:.2f} ({c[what + '_ratio_min']:.2f}–{c[what + '_ratio_max']:.2f})"

    ping = benchmark(loopback, "BM_PingPongBesideEcho")
    goal = "≤ 1.1 × the echo (median of 5 interleaved rounds)"
    if ping:
        table.add("ping/pong p50", goal, f"{ping['p50_us_server']:.1f} µs", f"TLS echo {ping['p50_us_echo']:.1f} µs",
                  spread(ping, "p50_us"), ping["p50_us_ratio"] <= 1.1)
    else:
        table.missing("ping/pong p50", goal)
    message = benchmark(loopback, "BM_MessageAckBesideEcho")
    if message:
        table.add("authenticated `message` → `ack` p50", "reported", f"{message['p50_us_server']:.1f} µs",
                  f"TLS echo {message['p50_us_echo']:.1f} µs", spread(message, "p50_us"), "—")
    else:
        table.missing("authenticated `message` → `ack` p50", "reported")
    piped = benchmark(loopback, "BM_PipelinedBesideEcho")
    goal = "≥ 0.9 × the echo and ≥ 50k/s"
    if piped:
        rate, echo = piped["round_trips_per_s_server"], piped["round_trips_per_s_echo"]
        table.add("round trips, 32 in flight", goal, f"{rate / 1000:.1f}k/s", f"TLS echo {echo / 1000:.1f}k/s",
                  spread(piped, "round_trips_per_s"), piped["round_trips_per_s_ratio"] >= 0.9 and rate >= 50000)
    else:
        table.missing("round trips, 32 in flight", goal)


def flood_rows(table, flood):
    goal = "≥ 150k events/s"
    if not flood:
        table.missing("`notif_post` flood into `--headless --json`", goal)
        table.missing("memory while the main thread is behind", "bounded")
        return
    table.add("`notif_post` flood into `--headless --json`", goal,
              f"{flood['events_per_s'] / 1000:.1f}k events/s (median of {flood['runs']}: "
              f"{flood['min_events_per_s'] / 1000:.1f}–{flood['max_events_per_s'] / 1000:.1f}k)",
              f"main thread {flood['main_us_per_event']:.2f} µs/event, server thread "
              f"{flood['server_us_per_event']:.2f} µs/event", "—", flood["events_per_s"] >= 150000)
    grew = flood["max_peak_rss_mib"] - flood["rss_before_mib"]
    # Everything the flood carried would take far more than this if it were queued.
    carried = flood["events"] * 330 / 1048576
    table.add("memory while the main thread is behind", "bounded", f"peak {flood['max_peak_rss_mib']:.1f} MiB",
              f"{flood['rss_before_mib']:.1f} MiB before; the flood carried {carried:.0f} MiB", "—",
              grew < carried / 4)


def idle_rows(table, idle):
    goals = [("RSS", "rss_mib", "≤ 15 MiB", lambda v: v <= 15, "{:.1f} MiB"),
             ("PSS", "pss_mib", "≤ 8 MiB", lambda v: v <= 8, "{:.1f} MiB"),
             ("CPU", "cpu_percent", "≤ 0.02 %", lambda v: v <= 0.02, "{:.3f} %"),
             ("wake-ups", "wakeups_per_s", "≤ 1/s", lambda v: v <= 1, "{:.1f}/s")]
    for label, key, goal, holds, shown in goals:
        figure = f"headless idle, unpaired: {label}"
        if not idle or "unpaired" not in idle:
            table.missing(figure, goal)
            continue
        value = idle["unpaired"][key]
        references = []
        if "floor" in idle:
            references.append(shown.format(idle["floor"][key]) + " the libraries alone")
        if "connected" in idle:
            references.append(shown.format(idle["connected"][key]) + " connected")
        ratio = "—"
        if "floor" in idle and idle["floor"][key] > 0 and key in ("rss_mib", "pss_mib"):
            ratio = f"{value / idle['floor'][key]:.2f} × the libraries"
        table.add(figure, goal, shown.format(value), "; ".join(references) or "—", ratio, holds(value))


def start_rows(table, start):
    goal = "≤ 50 ms"
    if not start:
        table.missing("start to listening, identity kept", goal)
        return
    table.add("start to listening, identity kept", goal, f"{start['median_ms']:.1f} ms",
              f"min {start['min_ms']:.1f}, max {start['max_ms']:.1f} ms", "—", start["median_ms"] <= 50)


def gui_rows(table, gui):
    if not gui:
        table.missing("desktop program: start to the hub's first frame", "reported")
        return
    start = gui["first_frame_ms"]
    table.add("desktop program: start to the hub's first frame", "reported", f"{start['median']:.0f} ms",
              f"min {start['min']:.0f}, max {start['max']:.0f} ms; includes the hub's 0.7 s wait after launch",
              "—", "—")
    idle = gui["idle_connected"]
    table.add("desktop program idle, phone connected: RSS", "reported", f"{idle['rss_mib']:.1f} MiB",
              f"PSS {idle['pss_mib']:.1f} MiB", "—", "—")
    table.add("desktop program idle, phone connected: CPU", "reported", f"{idle['cpu_percent']:.3f} %",
              f"{idle['wakeups_per_s']:.1f} wake-ups/s", "—", "—")


def hub_window_rows(table, hub):
    figure = "hub window with 50 notifications, 100 chats, 40 clips"
    if not hub:
        table.missing(figure + ": show to first frame", "reported")
        return
    table.add(figure + ": show to first frame", "reported", f"{hub['first_frame_ms']:.0f} ms", "software renderer",
              "—", "—")
    table.add(figure + ": RSS", "reported", f"{hub['rss_mib']:.1f} MiB", "—", "—", "—")
    scroll = hub["scroll_frame_ms"]
    table.add(figure + ": frame time scrolling the notifications", "reported", f"median {scroll['median']:.1f} ms",
              f"p95 {scroll['p95']:.1f}, max {scroll['max']:.1f} ms over {scroll['frames']} frames", "—", "—")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", default="build/bench")
    args = parser.parse_args()
    table = Table()
    codec_rows(table, load(args.dir, "codec_bench.json"))
    loopback_rows(table, load(args.dir, "loopback_bench.json"))
    flood_rows(table, load(args.dir, "flood.json"))
    idle_rows(table, load(args.dir, "idle.json"))
    start_rows(table, load(args.dir, "start.json"))
    gui_rows(table, load(args.dir, "gui.json"))
    hub_window_rows(table, load(args.dir, "hub_window.json"))
    text = "# Benchmark summary\n\nRelease build, this machine, one run of `make bench`.\n\n" + table.markdown()
    with open(os.path.join(args.dir, "summary.md"), "w", encoding="utf-8") as f:
        f.write(text)
    print(text, end="")


if __name__ == "__main__":
    main()
