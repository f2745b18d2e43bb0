#!/usr/bin/env python3
"""Dependencies point inward: each folder under src/ (and orvane-phone) may include
only the layers below it, and toolkit headers (Qt, Asio, Avahi, D-Bus) appear only in
the adapters and front ends. Exits non-zero and lists every include that breaks this."""
import re
import sys
from pathlib import Path

CORE = ["base", "wire", "pairing", "session", "features", "server"]

# Which top-level parts each part may include (its own part is always allowed). A
# feature may use the session core but not another feature.
ALLOWED = {
    "base": [],
    "wire": ["base"],
    "pairing": ["base", "wire"],
    "session": ["base", "wire"],
    "features/*": ["base", "wire", "session"],
    "server": ["base", "wire", "pairing", "session", "features"],
    "app": CORE,
    "platform/linux/net": ["base", "wire"],
    "platform/linux": CORE + ["app", "platform/linux/net"],
    "platform/qt": CORE + ["app"],
    # The views' logic reads the store and sends its actions; the adapters reach it
    # only through the shell, which wires them in the program's main().
    "ui/models": CORE + ["app"],
    "wiring": CORE + ["app", "platform"],
    "ui": CORE + ["app", "platform", "wiring", "cli"],
    "cli": CORE + ["app", "platform", "wiring"],
    "share": ["base", "wire", "features/notifications"],
    "tools/phone": ["base", "wire", "pairing", "platform/linux/net"],
}
TOOLKIT = re.compile(r"^<(Q[A-Za-z]*|qt[A-Za-z]*/|asio[/.]|avahi-|dbus/)")
TOOLKIT_PARTS = ("platform/", "wiring", "ui", "cli", "share", "tools/phone")
PROJECT_ROOTS = ("base/", "wire/", "pairing/", "session/", "features/", "server/", "app/", "platform/", "wiring/", "ui/",
                 "cli/", "share/")


def part_of(relative: str) -> str:
    """The layer a file belongs to: 'features/clipboard', 'platform/linux/net', 'server', …"""
    if relative.startswith("tools/phone/"):
        return "tools/phone"
    path = relative[len("src/"):]
    for nested in ("platform/linux/net", "platform/linux", "platform/qt", "ui/models"):
        if path.startswith(nested + "/"):
            return nested
    top = path.split("/")[0]
    if top == "features":
        return "features/" + path.split("/")[1]
    return top


def allowed_for(part: str) -> list:
    return ALLOWED.get(part) or ALLOWED.get(part.split("/")[0] + "/*") or []


def target_allowed(part: str, include: str) -> bool:
    """Whether a quoted project include such as 'session/peer.hpp' may be used in `part`."""
    if include.startswith(part + "/"):
        return True
    for allowed in allowed_for(part):
        if include.startswith(allowed + "/"):
            return True
    return False


def problems_in(relative: str, text: str) -> list:
    part = part_of(relative)
    found = []
    for number, line in enumerate(text.splitlines(), 1):
        m = re.match(r'\s*#\s*include\s+([<"])([^>"]+)[>"]', line)
        if not m:
            continue
        quote, include = m.groups()
        if quote == "<" and TOOLKIT.match("<" + include) and not part.startswith(TOOLKIT_PARTS):
            found.append(f"{relative}:{number}: toolkit header <{include}> outside the adapters and front ends")
        if quote == '"' and include.startswith(PROJECT_ROOTS) and not target_allowed(part, include):
            found.append(f"{relative}:{number}: {part} may not include \"{include}\"")
    return found


def self_test() -> list:
    """The rules must catch what they are for; a checker that passes everything is no check."""
    must_fail = [
        ("src/wire/envelope.hpp", '#include "session/peer.hpp"'),
        ("src/pairing/pending.hpp", '#include "session/link_core.hpp"'),
        ("src/session/link_core.hpp", '#include "server/pairing_server.hpp"'),
        ("src/features/media/media_feature.cpp", '#include "features/notifications/url_gate.hpp"'),
        ("src/features/clipboard/x.cpp", '#include "pairing/pending.hpp"'),
        ("src/server/pairing_server.cpp", '#include "app/legal_state.hpp"'),
        ("src/platform/linux/net/asio_transport.cpp", '#include "pairing/keychain.hpp"'),
        ("tools/phone/main.cpp", '#include "platform/linux/avahi_advertiser.hpp"'),
        ("src/session/link_core.cpp", "#include <asio/post.hpp>"),
        ("src/app/legal_state.cpp", "#include <QString>"),
        ("src/app/store/device_bridge_store.hpp", '#include "ui/models/hub_tab.hpp"'),
        ("src/ui/models/command_palette.cpp", '#include "platform/qt/qt_main_queue.hpp"'),
        ("src/ui/models/command_palette.cpp", '#include "cli/headless_view.hpp"'),
    ]
    must_pass = [
        ("src/features/media/media_feature.cpp", '#include "features/media/media_gate.hpp"'),
        ("src/features/media/media_feature.cpp", '#include "session/link_core.hpp"'),
        ("src/server/pairing_server.cpp", '#include "features/clipboard/clipboard_feature.hpp"'),
        ("src/platform/qt/qt_main_queue.cpp", "#include <QTimer>"),
        ("tools/phone/main.cpp", '#include "pairing/qr_payload.hpp"'),
        ("src/base/text.cpp", "#include <unicode/brkiter.h>"),
        ("src/ui/models/command_palette.cpp", '#include "app/store/device_bridge_store.hpp"'),
        ("src/ui/models/popover_device_row.cpp", '#include "app/app_state.hpp"'),
        ("src/ui/models/command_palette.cpp", '#include "ui/models/hub_tab.hpp"'),
        ("src/ui/models/command_palette.hpp", "#include <QAbstractListModel>"),
        ("src/ui/shell/tray.cpp", '#include "ui/models/popover_device_row.hpp"'),
        ("src/ui/shell/tray.cpp", '#include "platform/qt/qt_main_queue.hpp"'),
    ]
    errors = []
    for relative, line in must_fail:
        if not problems_in(relative, line):
            errors.append(f"self-test: {relative} with {line} should be refused")
    for relative, line in must_pass:
        if problems_in(relative, line):
            errors.append(f"self-test: {relative} with {line} should be allowed")
    return errors


def main() -> int:
    root = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parents[1])
    problems = self_test()
    files = sorted(p for d in ("src", "tools/phone") for p in (root / d).rglob("*") if p.suffix in (".cpp", ".hpp", ".h"))
    if not files:
        problems.append(f"no source files under {root}")
    for path in files:
        problems += problems_in(path.relative_to(root).as_posix(), path.read_text(encoding="utf-8"))
    for p in problems:
        print(p)
    print(f"layering: {len(files)} files checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
