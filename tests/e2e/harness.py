"""Shared helpers of the end-to-end tests: whole processes of `orvane --headless --json`
and `orvane-phone`, each in a fresh sandbox of temporary folders, read as JSON lines
with deadlines and always killed at the end.

A test file lists its cases and calls `run(cases)`; every case gets a new `Sandbox`
and raises `Failure` (or any exception) to fail. Waiting is always for an event with a
deadline, never for a fixed time.
"""

import argparse
import atexit
import json
import os
import queue
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import traceback

COMPUTER_PORT = 17431
NUDGE_PORT = 17432

# Every deadline below is stretched by this whole-number factor, which CTest sets for
# builds whose programs run several times slower (the ThreadSanitizer build); 1 when run
# by hand or from the ordinary build.
TIME_SCALE = max(1, int(os.environ.get("ORVANE_TEST_TIME_SCALE") or 1))

# Generous: the machine that runs these is shared and may be slow, and a deadline only
# costs time when something is already wrong.
DEFAULT_WAIT = 20.0 * TIME_SCALE
PHONE_TIMEOUT = 60 * TIME_SCALE  # orvane-phone --timeout: no phone outlives a hung test

# The first line of a report from a sanitizer built into the programs; a process that
# printed one failed even when the case saw every event it waited for.
SANITIZER_REPORT = re.compile(r"^(WARNING|ERROR): ThreadSanitizer: ")

BIN_DIR = None
_live = []  # every process started and not yet reaped, for the emergency stop


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def check_equal(actual, expected, what):
    if actual != expected:
        raise Failure(f"{what}: expected {expected!r}, got {actual!r}")


def matches(event, pattern):
    """True when every key of `pattern` is in `event` with an equal value; a dict value
    is matched the same way, as a subset of the event's dict."""
    if callable(pattern):
        return bool(pattern(event))
    for key, want in pattern.items():
        if key not in event:
            return False
        have = event[key]
        if isinstance(want, dict):
            if not isinstance(have, dict) or not matches(have, want):
                return False
        elif have != want:
            return False
    return True


class Process:
    """One child process with standard input, output and error as pipes. Every output
    line is parsed as JSON (other lines become {"event": "_text", "text": ...}) and
    kept; `expect` takes the first kept event that matches, in order."""

    def __init__(self, name, argv, env):
        self.name = name
        self.argv = argv
        self._proc = subprocess.Popen(
            argv,
            stdin=subprocess.PIPE,
            stdout=subprocess.PIPE,
            stderr=subprocess.PIPE,
            env=env,
            start_new_session=True,
        )
        _live.append(self)
        self._lock = threading.Condition()
        self._unread = []  # events not yet taken by expect
        self.history = []  # every event, in order
        self._stderr = []
        self._stdout_done = False
        self._readers = [
            threading.Thread(target=self._read_stdout, daemon=True),
            threading.Thread(target=self._read_stderr, daemon=True),
        ]
        for reader in self._readers:
            reader.start()

    # -- reading --

    def _read_stdout(self):
        for raw in self._proc.stdout:
            text = raw.decode("utf-8", "replace").rstrip("\n")
            try:
                event = json.loads(text)
                if not isinstance(event, dict):
                    event = {"event": "_text", "text": text}
            except ValueError:
                event = {"event": "_text", "text": text}
            with self._lock:
                self.history.append(event)
                self._unread.append(event)
                self._lock.notify_all()
        with self._lock:
            self._stdout_done = True
            self._lock.notify_all()

    def _read_stderr(self):
        for raw in self._proc.stderr:
            with self._lock:
                self._stderr.append(raw.decode("utf-8", "replace").rstrip("\n"))
                self._lock.notify_all()

    def stderr_text(self):
        with self._lock:
            return "\n".join(self._stderr)

    def expect_stderr(self, text, timeout=DEFAULT_WAIT):
        """Waits until a line of standard error contains `text`; returns that line."""
        deadline = time.monotonic() + timeout
        with self._lock:
            while True:
                for line in self._stderr:
                    if text in line:
                        return line
                left = deadline - time.monotonic()
                if left <= 0:
                    raise Failure(f"{self.name}: no line with {text!r} on standard error within {timeout} s;"
                                  f" it has:\n" + "\n".join(self._stderr[-20:]))
                self._lock.wait(left)

    def sanitizer_report(self, max_lines=120):
        """The first sanitizer report on standard error, up to its SUMMARY line, or None."""
        with self._lock:
            lines = list(self._stderr)
        for start, line in enumerate(lines):
            if SANITIZER_REPORT.match(line):
                report = []
                for line in lines[start:start + max_lines]:
                    report.append(line)
                    if line.startswith("SUMMARY: "):
                        break
                return "\n".join(report)
        return None

    def _context(self):
        with self._lock:
            recent = self.history[-15:]
            errors = self._stderr[-10:]
        lines = [f"  {self.name} events (last {len(recent)}):"] + [f"    {json.dumps(e, ensure_ascii=False)}" for e in recent]
        if errors:
            lines += [f"  {self.name} stderr:"] + [f"    {e}" for e in errors]
        return "\n".join(lines)

    def expect(self, pattern, timeout=DEFAULT_WAIT, what=None):
        """The first unread event matching `pattern` (a dict subset or a predicate);
        events before it that do not match stay unread. Fails after `timeout` seconds,
        or at once when the output has ended without a match."""
        deadline = time.monotonic() + timeout
        with self._lock:
            while True:
                for index, event in enumerate(self._unread):
                    if matches(event, pattern):
                        del self._unread[index]
                        return event
                remaining = deadline - time.monotonic()
                if self._stdout_done or remaining <= 0:
                    break
                self._lock.wait(remaining)
        why = "its output ended" if self._stdout_done else f"{timeout:.0f} s passed"
        raise Failure(f"{self.name}: no event {what or pattern!r} ({why})\n{self._context()}")

    def expect_state(self, detail=None, state=None, timeout=DEFAULT_WAIT):
        pattern = {"event": "state"}
        if state is not None:
            pattern["state"] = state
        if detail is not None:
            pattern["detail"] = detail
        return self.expect(pattern, timeout, what=f"state {state or ''} {detail or ''}".strip())

    def skip_unread(self):
        """Forgets every event not yet taken, so that a later expect cannot match an
        event that happened before the step it is meant to check."""
        with self._lock:
            self._unread.clear()

    def events_before(self, event):
        """Every event printed before `event` (as taken by expect)."""
        with self._lock:
            for index, seen in enumerate(self.history):
                if seen is event:
                    return list(self.history[:index])
        raise Failure(f"{self.name}: event not in history: {event!r}")

    # -- writing and ending --

    def send(self, line):
        try:
            self._proc.stdin.write((line + "\n").encode("utf-8"))
            self._proc.stdin.flush()
        except BrokenPipeError:
            raise Failure(f"{self.name}: cannot send {line!r}, its input is closed\n{self._context()}")

    def close_input(self):
        self._proc.stdin.close()

    def signal(self, signum):
        self._proc.send_signal(signum)

    def wait_exit(self, timeout=DEFAULT_WAIT):
        try:
            code = self._proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"{self.name}: still running after {timeout:.0f} s\n{self._context()}")
        for reader in self._readers:
            reader.join(5)
        return code

    def expect_exit(self, status, timeout=DEFAULT_WAIT):
        code = self.wait_exit(timeout)
        if code != status:
            raise Failure(f"{self.name}: exit status {code}, expected {status}\n{self._context()}")

    def running(self):
        return self._proc.poll() is None

    def kill(self):
        if self._proc.poll() is None:
            try:
                os.killpg(self._proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        try:
            self._proc.wait(10)
        except subprocess.TimeoutExpired:
            pass
        for reader in self._readers:
            reader.join(5)  # everything the process wrote is kept before the pipes close
        for stream in (self._proc.stdin, self._proc.stdout, self._proc.stderr):
            try:
                stream.close()
            except OSError:
                pass
        if self in _live:
            _live.remove(self)


def _kill_all():
    for proc in list(_live):
        proc.kill()


def _on_signal(signum, _frame):
    _kill_all()
    sys.exit(128 + signum)


atexit.register(_kill_all)
signal.signal(signal.SIGTERM, _on_signal)
signal.signal(signal.SIGINT, _on_signal)


def port_is_free(port):
    """Whether nothing listens on the TCP port of 127.0.0.1 (a refused connect)."""
    import socket

    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.settimeout(2)
        return s.connect_ex(("127.0.0.1", port)) != 0


class Sandbox:
    """A temporary folder with the computer's XDG folders and a phone state file; every
    process started through it is killed when the case ends."""

    def __init__(self, name):
        self.root = tempfile.mkdtemp(prefix=f"orvane-e2e-{name}-")
        self.config = os.path.join(self.root, "config")
        self.data = os.path.join(self.root, "data")
        self.home = os.path.join(self.root, "home")
        # A runtime folder of its own: the program's single-instance socket lives there,
        # so that tests running side by side never reach each other's program.
        self.runtime = os.path.join(self.root, "runtime")
        for folder in (self.config, self.data, self.home, self.runtime):
            os.makedirs(folder, mode=0o700)
        self.phone_state = os.path.join(self.root, "phone", "state.json")
        self.processes = []
        self._count = 0
        self.extra_env = {}  # set by a test that runs the programs on a display

    def env(self):
        env = dict(os.environ)
        env.update(XDG_CONFIG_HOME=self.config, XDG_DATA_HOME=self.data, HOME=self.home, LC_ALL="C.UTF-8")
        # No D-Bus session of the developer's desktop: the headless program must not
        # need one.
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        # D-Bus would find that session's bus in the runtime folder as well: this one is
        # the sandbox's own, with no bus in it.
        env["XDG_RUNTIME_DIR"] = self.runtime
        # Nor its display: without one the computer keeps a clipboard of its own, which
        # the `copy` command fills, so that no test touches the developer's clipboard.
        for name in ("DISPLAY", "WAYLAND_DISPLAY"):
            env.pop(name, None)
        env.update(self.extra_env)
        return env

    def inherit(self, *names):
        """Lets the programs of this sandbox use these variables of the calling script
        (a display, a session bus it started)."""
        for name in names:
            if os.environ.get(name):
                self.extra_env[name] = os.environ[name]

    def start(self, name, argv):
        self._count += 1
        proc = Process(f"{name}#{self._count}", argv, self.env())
        self.processes.append(proc)
        return proc

    def orvane(self, *extra):
        """Starts the headless computer and waits until it listens; returns the process
        and its first invitation event."""
        if not port_is_free(COMPUTER_PORT):
            raise Failure(f"port {COMPUTER_PORT} is already in use by another program; these tests need it")
        proc = self.start("orvane", [os.path.join(BIN_DIR, "orvane"), "--headless", "--json", "--accept-terms", *extra])
        proc.expect_state(state="disconnected", detail=f"Listening on port {COMPUTER_PORT}")
        invitation = proc.expect({"event": "invitation"})
        return proc, invitation

    def phone(self, *args, state=None):
        """Starts orvane-phone with this sandbox's state file (or `state`) and a
        deadline of its own."""
        argv = [os.path.join(BIN_DIR, "orvane-phone"), "--timeout", str(PHONE_TIMEOUT), "--state", state or self.phone_state, *args]
        return self.start("phone", argv)

    def phone_without_state(self, *args):
        return self.start("phone", [os.path.join(BIN_DIR, "orvane-phone"), "--timeout", str(PHONE_TIMEOUT), *args])

    def close(self):
        for proc in self.processes:
            proc.kill()
        shutil.rmtree(self.root, ignore_errors=True)

    def sanitizer_reports(self):
        """Every sanitizer report of the processes started here, as one text; empty
        when there is none. Complete only after close()."""
        found = []
        for proc in self.processes:
            report = proc.sanitizer_report()
            if report:
                indented = "\n".join("    " + line for line in report.splitlines())
                found.append(f"  {proc.name} {' '.join(proc.argv[1:])}:\n{indented}")
        return "\n".join(found)


# -- common steps --


def pair(box, orvane, qr_text, name="Test Phone", extra=()):
    """Pairs a phone over 127.0.0.1 and approves it; returns the running phone, which
    stays connected as the authenticated session."""
    phone = box.phone("pair", "--qr", qr_text, "--host", "127.0.0.1", "--name", name, *extra)
    phone.expect({"event": "connected", "pinChecked": True})
    pending = orvane.expect({"event": "pending"})
    check_equal(pending["deviceName"], name, "pending deviceName")
    orvane.send("approve")
    phone.expect({"event": "received", "type": "pair_approved"})
    phone.expect({"event": "paired"})
    orvane.expect({"event": "pairedDevice", "name": name})
    orvane.expect_state(state="connected")
    return phone


def paired_with_clipboard_sync(box):
    """A paired computer and phone with clipboard sync switched on."""
    orvane, invitation = box.orvane()
    phone = pair(box, orvane, invitation["qrText"])
    orvane.send("clipboard on")
    orvane.expect({"event": "clipboardSync", "enabled": True})
    return orvane, phone


def clipboard_texts(phone):
    """Every clipboard text the phone has received so far, in order."""
    return [e["body"]["text"] for e in phone.history
            if e.get("event") == "received" and e.get("type") == "clipboard_update"]


def saved_state(box):
    with open(box.phone_state, encoding="utf-8") as f:
        return json.load(f)


# -- running a file of cases --


def run(cases):
    """Runs every case (a function taking a Sandbox) in order, each in a new sandbox;
    prints one line per case and the totals; exits non-zero when any failed."""
    global BIN_DIR
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True, help="folder with orvane and orvane-phone")
    parser.add_argument("cases", nargs="*", help="run only the cases with these names")
    args = parser.parse_args()
    BIN_DIR = os.path.abspath(args.bin_dir)
    for binary in ("orvane", "orvane-phone"):
        if not os.access(os.path.join(BIN_DIR, binary), os.X_OK):
            print(f"missing {binary} in {BIN_DIR}")
            print("0 passed, 1 failed")
            sys.exit(1)

    chosen = [c for c in cases if not args.cases or c.__name__ in args.cases]
    passed = failed = 0
    for case in chosen:
        box = Sandbox(case.__name__)
        started = time.monotonic()
        problem = None
        try:
            case(box)
        except Failure as e:
            problem = str(e)
        except Exception:  # a bug in the test itself counts as a failure too
            problem = f"unexpected error\n{traceback.format_exc()}"
        finally:
            box.close()
        reports = box.sanitizer_reports()
        if reports:
            problem = (problem + "\n" if problem else "") + f"sanitizer report:\n{reports}"
        if problem:
            failed += 1
            print(f"FAIL {case.__name__}: {problem}", flush=True)
        else:
            passed += 1
            print(f"PASS {case.__name__} ({time.monotonic() - started:.1f} s)", flush=True)
    print(f"{passed} passed, {failed} failed", flush=True)
    sys.exit(1 if failed or not chosen else 0)
