"""The pairing QR image: what a camera reads from the PNG is exactly the published text."""

import os
import shutil
import subprocess

import harness
from harness import check, check_equal


def decode(path):
    zbarimg = shutil.which("zbarimg")
    check(zbarimg is not None, "zbarimg is not installed (package zbar-tools); the QR image cannot be checked")
    result = subprocess.run([zbarimg, "--raw", "-q", path], capture_output=True, timeout=30)
    check_equal(result.returncode, 0, f"zbarimg status for {path} (stderr {result.stderr!r})")
    return result.stdout.decode("utf-8").removesuffix("\n")


def png_decodes_to_the_published_text(box):
    png = os.path.join(box.root, "qr.png")
    orvane, invitation = box.orvane("--qr-png", png)
    check(invitation["qrText"].startswith("ZEL1|ip="), f"QR text {invitation['qrText']!r}")
    check_equal(decode(png), invitation["qrText"], "decoded QR")
    # A new code replaces the image too.
    orvane.send("new-code")
    fresh = orvane.expect({"event": "invitation"})
    check(fresh["qrText"] != invitation["qrText"], "new-code kept the old code")
    check_equal(decode(png), fresh["qrText"], "decoded QR after new-code")


harness.run([png_decodes_to_the_published_text])
