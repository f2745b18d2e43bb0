"""What one hostile or careless client can cost the computer: a client that floods pings
and never reads its pongs is closed once its unwritten replies pass their bound, and a
crowd of connections that never authenticate cannot push out the paired phone or the
phone waiting for approval. Every client connects only to 127.0.0.1, with bounded counts
and times. The computer's resident memory is printed (never asserted) along the way.
"""

import socket
import ssl
import threading
import time

import harness
import raw_tls
from harness import Failure, check, check_equal

# The flood: batches of pings written back to back, bounded both ways.
FLOOD_MAX_PINGS = 300_000
FLOOD_MAX_SECONDS = 60.0
FLOOD_BATCH = 1000
# A window this small makes the server's replies pile up on its side at once.
FLOOD_RECEIVE_BUFFER = 4096

# Connections that may wait unauthenticated at once; beyond it the oldest makes room.
MAX_UNAUTHENTICATED = 32
CROWD = 40


class PeakRss:
    """Samples a process's resident memory on a thread until stopped; keeps the peak."""

    def __init__(self, pid, period=0.02):
        self.pid = pid
        self.peak = raw_tls.rss_kib(pid)
        self._period = period
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._sample, daemon=True)
        self._thread.start()

    def _sample(self):
        while not self._stop.wait(self._period):
            try:
                self.peak = max(self.peak, raw_tls.rss_kib(self.pid))
            except (OSError, Failure):
                return

    def stop(self):
        self._stop.set()
        self._thread.join(5)
        return self.peak


def flood_batch(start):
    return b"".join(raw_tls.ping(f"F{start + i}") for i in range(FLOOD_BATCH))


def client_that_never_reads_is_closed_and_the_server_goes_on(box):
    orvane, _ = box.orvane("--verbose")
    pid = raw_tls.computer_pid(box)
    before = raw_tls.rss_kib(pid)
    sampler = PeakRss(pid)

    flood = raw_tls.RawClient(receive_buffer=FLOOD_RECEIVE_BUFFER, timeout=15.0)
    sent = 0
    ended_by = None
    started = time.monotonic()
    try:
        while sent < FLOOD_MAX_PINGS and time.monotonic() - started < FLOOD_MAX_SECONDS:
            try:
                flood.send(flood_batch(sent))
            except socket.timeout:
                raise Failure(f"after {sent} pings the server neither reads nor closes the connection (writes blocked 15 s)")
            except (ConnectionError, ssl.SSLError) as e:
                ended_by = e
                break
            sent += FLOOD_BATCH
        flood_seconds = time.monotonic() - started
        if ended_by is None:
            # Every write went through: the connection must at least be closed by now.
            check(flood.closed_by_server(10.0), f"the server kept a client that read none of its replies to {sent} pings "
                                                 f"({flood_seconds:.1f} s)")
            ended_by = "end of stream"
    finally:
        flood.close()
    peak = sampler.stop()
    print(f"  flood: {sent} pings written in {flood_seconds:.1f} s before the server closed the connection ({ended_by!r})")

    # The server goes on serving: a fresh connection gets its pong, and the close was
    # the bound on unwritten replies, not anything else.
    check(orvane.running(), "orvane ended during the flood")
    fresh = raw_tls.RawClient()
    try:
        pong = fresh.round_trip("after-flood")
        check_equal(pong["body"], {}, "pong body")
    finally:
        fresh.close()
    deadline = time.monotonic() + harness.DEFAULT_WAIT
    while "does not read what it is sent" not in orvane.stderr_text():
        check(time.monotonic() < deadline,
              f"the server's log does not name the unread replies as the reason:\n{orvane.stderr_text()[-2000:]}")
        time.sleep(0.1)
    after = raw_tls.rss_kib(pid)
    print(f"  orvane VmRSS: before {before} KiB, peak {peak} KiB, after {after} KiB")


def crowd(count):
    """`count` connections opened one after another, each live: it has sent a ping and
    read its pong, so the server has taken it in before the next one arrives."""
    clients = []
    try:
        for i in range(count):
            client = raw_tls.RawClient()
            clients.append(client)
            client.round_trip(f"crowd-{i}")
    except BaseException:
        raw_tls.close_all(clients)
        raise
    return clients


def check_oldest_closed(clients, closed_count):
    """The first `closed_count` clients were closed by the server; every later one is
    open and still answered."""
    for i, client in enumerate(clients[:closed_count]):
        check(client.closed_by_server(harness.DEFAULT_WAIT), f"connection {i} of {len(clients)} (among the oldest) is still open")
    for i, client in enumerate(clients[closed_count:], start=closed_count):
        try:
            client.round_trip(f"still-{i}", timeout=10.0)
        except (Failure, OSError) as e:
            raise Failure(f"connection {i} of {len(clients)} was closed, but only the {closed_count} oldest should be: {e}")


def unauthenticated_crowd_cannot_push_out_the_phone(box):
    orvane, invitation = box.orvane()
    pid = raw_tls.computer_pid(box)
    phone = harness.pair(box, orvane, invitation["qrText"])
    paired_at = len(orvane.history)
    before = raw_tls.rss_kib(pid)

    clients = crowd(CROWD)
    try:
        check_oldest_closed(clients, CROWD - MAX_UNAUTHENTICATED)
        during = raw_tls.rss_kib(pid)

        # The phone is still the session, and the computer still reaches it.
        orvane.send("message still here")
        received = phone.expect({"event": "received", "type": "message", "body": {"text": "still here"}})
        orvane.expect({"event": "messageStatus", "id": received["id"], "acked": True})
        phone.send("send ping")
        phone.expect({"event": "received", "type": "pong"})
    finally:
        raw_tls.close_all(clients)
    # Once the crowd is gone, a round trip shows the server has taken in the closes.
    phone.send("send ping")
    phone.expect({"event": "received", "type": "pong"})
    check(not any(e.get("event") == "closed" for e in phone.history), "the phone's connection was closed")
    leaving = [e for e in orvane.history[paired_at:] if e.get("event") == "state" and e.get("state") != "connected"]
    check_equal(leaving, [], "states other than connected while the crowd came")
    after = raw_tls.rss_kib(pid)
    print(f"  orvane VmRSS: before {before} KiB, with {CROWD} connections opened {during} KiB, after closing them {after} KiB")


def unauthenticated_crowd_cannot_push_out_the_pairing_requester(box):
    orvane, invitation = box.orvane()
    requester = box.phone("pair", "--qr", invitation["qrText"], "--host", "127.0.0.1", "--name", "Waiting Phone")
    orvane.expect({"event": "pending", "deviceName": "Waiting Phone"})

    clients = crowd(CROWD)
    try:
        # The requester counts among those waiting but is never the one to go: every
        # room it takes comes from the raw connections.
        check_oldest_closed(clients, CROWD + 1 - MAX_UNAUTHENTICATED)
        check(not any(e.get("event") == "closed" for e in requester.history), "the pairing requester was closed")
        orvane.send("approve")
        requester.expect({"event": "received", "type": "pair_approved"})
        requester.expect({"event": "paired"})
        orvane.expect_state(state="connected")
    finally:
        raw_tls.close_all(clients)


harness.run([
    client_that_never_reads_is_closed_and_the_server_goes_on,
    unauthenticated_crowd_cannot_push_out_the_phone,
    unauthenticated_crowd_cannot_push_out_the_pairing_requester,
])
