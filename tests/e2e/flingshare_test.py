"""Links handed to the running program by later starts: Flingshare's hand-off through the
desktop's URL opener (pointed at `orvane` itself), `orvane --send-link`, forged or
unusable hand-offs that send nothing, a start with nothing to hand over, and a link for
a program that is not running."""

import os
import subprocess

import harness
from harness import check, check_equal


def run(box, argv, opener=None):
    env = box.env()
    if opener:
        env["ORVANE_URL_OPENER"] = opener
    return subprocess.run(argv, env=env, capture_output=True, text=True, timeout=30)


def binary(name):
    return os.path.join(harness.BIN_DIR, name)


def a_link_shared_with_flingshare_reaches_the_phone(box):
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])
    done = run(box, [binary("flingshare"), "see https://example.org/a?b=1&c=2, ok"], opener=binary("orvane"))
    check_equal(done.returncode, 0, f"flingshare's status ({done.stderr.strip()})")
    shared = phone.expect({"event": "received", "type": "url_share"})
    check_equal(shared["body"]["url"], "https://example.org/a?b=1&c=2", "the link the phone received")


def forged_or_unusable_hand_offs_send_nothing(box):
    orvane, invitation = box.orvane()
    phone = harness.pair(box, orvane, invitation["qrText"])
    for url in ("orvane://evil.example?u=https://forged.example", "orvane://send-url?u=file:///etc/passwd",
                "orvane://send-url?x=1&u=https://forged.example"):
        done = run(box, [binary("orvane"), url])
        check_equal(done.returncode, 0, f"{url} is handed to the running program ({done.stderr.strip()})")
    done = run(box, [binary("orvane"), "--send-link", "https://example.org/after"])
    check_equal(done.returncode, 0, f"--send-link's status ({done.stderr.strip()})")
    # Messages are taken in order: the first link the phone sees is the good one.
    shared = phone.expect({"event": "received", "type": "url_share"})
    check_equal(shared["body"]["url"], "https://example.org/after", "the only link sent")


def a_second_start_with_nothing_to_hand_over_ends_at_once(box):
    orvane, _ = box.orvane()
    done = run(box, [binary("orvane")])
    check_equal(done.returncode, 0, f"the second start's status ({done.stderr.strip()})")
    orvane.expect_stderr("another start asked for the window")


def a_link_for_a_program_that_is_not_running_says_so(box):
    done = run(box, [binary("orvane"), "--send-link", "https://example.org"])
    check_equal(done.returncode, 1, "the status")
    check("Orvane is not running" in done.stderr, f"the message: {done.stderr!r}")


harness.run([
    a_link_shared_with_flingshare_reaches_the_phone,
    forged_or_unusable_hand_offs_send_nothing,
    a_second_start_with_nothing_to_hand_over_ends_at_once,
    a_link_for_a_program_that_is_not_running_says_so,
])
