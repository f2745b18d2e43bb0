"""Which program serves: `orvane` without Qt's graphical library where nothing asks for
it, `orvane-desktop` (started in its place, same arguments) where the run needs pictures,
and `orvane` alone, saying what is missing, where orvane-desktop is not installed."""

import os
import shutil

import harness
from harness import check, check_equal

GRAPHICAL_LIBRARIES = ("libQt6Gui", "libGLX", "libX11", "libfontconfig")


def program_of(proc):
    return os.path.basename(os.readlink(f"/proc/{proc._proc.pid}/exe"))


def loaded_libraries(proc):
    with open(f"/proc/{proc._proc.pid}/maps") as maps:
        return {os.path.basename(line.split()[-1]) for line in maps if "/" in line}


def plain_run_loads_no_graphical_library(box):
    orvane, _ = box.orvane()
    check_equal(program_of(orvane), "orvane", "program serving a run without display")
    loaded = loaded_libraries(orvane)
    check(any(name.startswith("libQt6Core") for name in loaded), f"no Qt core among {sorted(loaded)}")
    found = [name for name in loaded if name.startswith(GRAPHICAL_LIBRARIES)]
    check_equal(found, [], "graphical libraries loaded without a display")


def qr_picture_hands_over_to_the_desktop_program(box):
    png = os.path.join(box.root, "qr.png")
    orvane, invitation = box.orvane("--qr-png", png)
    check_equal(program_of(orvane), "orvane-desktop", "program serving a run that draws the QR picture")
    check(os.path.getsize(png) > 0, "the QR picture is empty")
    check(invitation["qrText"].startswith("ZEL1|"), f"QR text {invitation['qrText']!r}")


def missing_desktop_program_is_reported_and_the_link_still_serves(box):
    alone = os.path.join(box.root, "alone")
    os.makedirs(alone)
    shutil.copy2(os.path.join(harness.BIN_DIR, "orvane"), alone)
    png = os.path.join(box.root, "qr.png")
    proc = box.start("orvane", [os.path.join(alone, "orvane"), "--headless", "--json", "--accept-terms", "--qr-png", png])
    proc.expect_state(state="disconnected", detail=f"Listening on port {harness.COMPUTER_PORT}")
    proc.expect({"event": "invitation"})
    check_equal(program_of(proc), "orvane", "program serving without orvane-desktop")
    proc.expect_stderr("orvane-desktop is not installed beside this program")
    proc.expect_stderr(f"cannot write {png}: this program was built without an image writer")
    check(not os.path.exists(png), "a QR picture was written without an image writer")


harness.run([
    plain_run_loads_no_graphical_library,
    qr_picture_hands_over_to_the_desktop_program,
    missing_desktop_program_is_reported_and_the_link_still_serves,
])
