"""DNS-SD seen from the network: against a real avahi-daemon on a private system bus,
the computer advertises nothing before pairing, advertises `_orvane._tcp` with the
hashed discovery token once a phone is approved, and withdraws it when forgotten.

Run directly it restarts itself under tests/integration/avahi_env.sh, which starts and
stops the daemon and its bus."""

import base64
import hashlib
import json
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
if "ORVANE_AVAHI_ENV" not in os.environ:
    script = os.path.join(HERE, "..", "integration", "avahi_env.sh")
    os.execv(script, [script, sys.executable, os.path.abspath(__file__), *sys.argv[1:]])

import harness  # noqa: E402  (after the re-exec on purpose)
from harness import check, check_equal  # noqa: E402

SERVICE_TYPE = "_orvane._tcp"
DEADLINE = 20.0 * harness.TIME_SCALE


def browse():
    """The resolved `_orvane._tcp` services as {name: [txt strings]}."""
    out = subprocess.run(["avahi-browse", "-rpt", SERVICE_TYPE], capture_output=True, text=True, timeout=15).stdout
    services = {}
    for line in out.splitlines():
        fields = line.split(";")
        if fields[0] != "=" or len(fields) < 10:
            continue
        txt = [part.strip('"') for part in fields[9].split('" "')] if fields[9] else []
        services[fields[3]] = {"port": fields[8], "txt": txt}
    return services


def wait_for(condition, what):
    deadline = time.monotonic() + DEADLINE
    while True:
        services = browse()
        if condition(services):
            return services
        if time.monotonic() > deadline:
            raise harness.Failure(f"{what}: avahi-browse shows {services}")
        time.sleep(0.3)  # polling a daemon's view, with a deadline


def install_id(box):
    """The install id from the defaults file, which is written a moment after a change."""
    path = os.path.join(box.config, "Orvane", "defaults.json")
    deadline = time.monotonic() + DEADLINE
    while True:
        try:
            with open(path, encoding="utf-8") as f:
                return json.load(f)["zel.installID"]
        except (FileNotFoundError, KeyError, json.JSONDecodeError):
            if time.monotonic() > deadline:
                raise
            time.sleep(0.05)


def service_follows_pairing_and_forgetting(box):
    orvane, invitation = box.orvane()
    name = "Orvane-" + install_id(box)[:4]
    check(name not in browse(), "a service is advertised before any phone is paired")

    harness.pair(box, orvane, invitation["qrText"], extra=("--exit-after-pair",))
    token = harness.saved_state(box)["discoveryToken"]
    hashed = base64.urlsafe_b64encode(hashlib.sha256(token.encode()).digest()).decode().rstrip("=")
    services = wait_for(lambda s: name in s, "the paired phone's service did not appear")
    check_equal(services[name]["txt"], ["th=" + hashed], "TXT record")
    check_equal(services[name]["port"], "17431", "advertised port")

    orvane.send("forget")
    orvane.expect({"event": "pairedDevice", "name": None})
    wait_for(lambda s: name not in s, "the service stayed after forgetting")


def service_is_advertised_at_start_when_already_paired(box):
    orvane, invitation = box.orvane()
    harness.pair(box, orvane, invitation["qrText"], extra=("--exit-after-pair",))
    orvane.send("quit")
    orvane.expect_exit(0)
    name = "Orvane-" + install_id(box)[:4]
    wait_for(lambda s: name not in s, "the service outlived the program")
    again = box.start("orvane", [os.path.join(harness.BIN_DIR, "orvane"), "--headless", "--json", "--accept-terms"])
    again.expect_state(state="disconnected", detail="Listening \u2014 Test Phone paired")
    wait_for(lambda s: name in s, "a paired computer did not advertise itself at start")


if __name__ == "__main__":
    harness.run([service_follows_pairing_and_forgetting, service_is_advertised_at_start_when_already_paired])
