"""Raw TLS clients for the end-to-end tests that must misbehave in ways orvane-phone
never would (flood without reading, stay unauthenticated in numbers), and a look at the
computer process's memory. Only 127.0.0.1 is ever contacted; the server's certificate
is not checked, since these clients test the server's limits, not its identity.
"""

import json
import os
import socket
import ssl
import struct
import time

import harness
from harness import Failure

HOST = "127.0.0.1"

_CONTEXT = ssl.create_default_context(ssl.Purpose.SERVER_AUTH)
_CONTEXT.check_hostname = False
_CONTEXT.verify_mode = ssl.CERT_NONE


def frame(message_type, message_id, body=None):
    """One frame: a 4-byte big-endian length, then the compact JSON envelope."""
    payload = json.dumps({"v": 1, "id": message_id, "type": message_type, "body": body or {}}, separators=(",", ":")).encode()
    return struct.pack(">I", len(payload)) + payload


def ping(message_id):
    return frame("ping", message_id)


class RawClient:
    """One TLS connection to the computer, driven byte by byte."""

    def __init__(self, receive_buffer=None, timeout=10.0):
        raw = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        if receive_buffer is not None:
            # Before connect, so that the window offered to the server stays this small.
            raw.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, receive_buffer)
        raw.settimeout(timeout)
        try:
            raw.connect((HOST, harness.COMPUTER_PORT))
            self.sock = _CONTEXT.wrap_socket(raw, server_hostname=HOST)
        except BaseException:
            raw.close()
            raise
        self._pending = b""

    def send(self, data):
        self.sock.sendall(data)

    def read_frame(self, timeout=harness.DEFAULT_WAIT):
        """The next frame's envelope as a dict; Failure when the stream ends or the wait
        runs out first."""
        deadline = time.monotonic() + timeout
        while True:
            if len(self._pending) >= 4:
                (length,) = struct.unpack(">I", self._pending[:4])
                if len(self._pending) >= 4 + length:
                    payload = self._pending[4:4 + length]
                    self._pending = self._pending[4 + length:]
                    return json.loads(payload)
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise Failure(f"no frame from the computer within {timeout:.0f} s")
            self.sock.settimeout(remaining)
            try:
                chunk = self.sock.recv(65536)
            except socket.timeout:
                continue
            if not chunk:
                raise Failure("the computer ended the connection instead of answering")
            self._pending += chunk

    def round_trip(self, message_id, timeout=harness.DEFAULT_WAIT):
        """Sends a ping and returns the pong envelope."""
        self.send(ping(message_id))
        reply = self.read_frame(timeout)
        if reply.get("type") != "pong":
            raise Failure(f"expected a pong to {message_id}, got {reply}")
        return reply

    def closed_by_server(self, timeout):
        """True once the server has ended the connection (end of stream or reset);
        False when the connection is still open after `timeout` seconds. Anything the
        server sends meanwhile is read and dropped."""
        deadline = time.monotonic() + timeout
        while True:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                return False
            self.sock.settimeout(remaining)
            try:
                if not self.sock.recv(65536):
                    return True
            except socket.timeout:
                return False
            except (ConnectionError, ssl.SSLError):
                return True

    def close(self):
        try:
            self.sock.close()
        except OSError:
            pass


def close_all(clients):
    for client in clients:
        client.close()


def computer_pid(box):
    """The process id of the headless computer started in `box`: the orvane process
    whose XDG_CONFIG_HOME is the sandbox's."""
    wanted = f"XDG_CONFIG_HOME={box.config}".encode()
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                argv = f.read().split(b"\0")
            if not argv or os.path.basename(argv[0]) != b"orvane":
                continue
            with open(f"/proc/{entry}/environ", "rb") as f:
                if wanted in f.read().split(b"\0"):
                    return int(entry)
        except OSError:  # gone meanwhile, or not ours to read
            continue
    raise Failure(f"no orvane process runs with {wanted.decode()}")


def rss_kib(pid):
    """Resident memory of `pid` in KiB, from /proc/PID/status."""
    with open(f"/proc/{pid}/status", encoding="ascii") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise Failure(f"no VmRSS in /proc/{pid}/status")
