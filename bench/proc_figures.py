"""What /proc tells of a running process, for the benchmark scripts: CPU time (of the
process or of each thread), fields of its status and its memory rollup."""

import os

TICKS = os.sysconf("SC_CLK_TCK")


def _cpu_seconds(stat_text):
    fields = stat_text.rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime


def cpu_seconds(pid):
    """CPU seconds the whole process has used."""
    with open(f"/proc/{pid}/stat") as f:
        return _cpu_seconds(f.read())


def cpu_seconds_on_cpu(pid):
    """CPU seconds the live threads of the process have run, to the nanosecond (the
    scheduler's own count): the clock ticks of cpu_seconds are too coarse for the few
    milliseconds a quiet minute takes."""
    total = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                total += int(f.read().split()[0])
        except FileNotFoundError:
            pass  # a thread that ended while we looked
    return total / 1e9


def cpu_seconds_by_thread(pid):
    """CPU seconds of each thread, by thread name ("main" for the first), summed per name."""
    seconds = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/stat") as f:
                raw = f.read()
        except FileNotFoundError:
            continue  # a thread that ended while we looked
        name = "main" if tid == str(pid) else raw[raw.index("(") + 1:raw.rindex(")")]
        seconds[name] = seconds.get(name, 0) + _cpu_seconds(raw)
    return seconds


def _field_kib(path, field):
    with open(path) as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0


def status_kib(pid, field):
    """A size field of /proc/PID/status (VmRSS, VmHWM, ...) in KiB; 0 when absent."""
    return _field_kib(f"/proc/{pid}/status", field)


def rollup_kib(pid, field):
    """A field of /proc/PID/smaps_rollup (Pss, ...) in KiB; 0 when absent."""
    return _field_kib(f"/proc/{pid}/smaps_rollup", field)
