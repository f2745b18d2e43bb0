#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/pasteboard.hpp"
#include "base/log.hpp"

namespace orvane {

enum class DesktopPasteboardKind { qtClipboard, wlClipboard };

// "QClipboard" or "wl-clipboard", for the program to say which one it uses.
std::string_view nameOf(DesktopPasteboardKind kind);

struct DesktopPasteboard {
  std::unique_ptr<Pasteboard> pasteboard;
  DesktopPasteboardKind kind;
};

// What decides the choice, read from the running program and the system.
struct DesktopSession {
  bool wayland = false;
  std::string wlPaste = "wl-paste";
  std::string wlCopy = "wl-copy";

  // Wayland when Qt runs on it or a Wayland display is set (Qt may run through
  // XWayland, whose clipboard follows Wayland's only while an X11 window has focus).
  static DesktopSession current();
};

// Whether a program with this Qt platform and WAYLAND_DISPLAY (null when unset) runs
// in a Wayland session.
bool isWaylandSession(std::string_view qtPlatform, const char* waylandDisplay);

// What QClipboard misses in such a session; none on X11.
std::optional<std::string> qtClipboardLimitation(bool wayland);

// The desktop's clipboard for the hub, chosen once at start: under Wayland the
// wl-clipboard programs when their watch works (the compositor offers data control),
// and QClipboard otherwise. A limitation is logged once here. Needs the QGuiApplication.
DesktopPasteboard makeDesktopPasteboard(const Logger& log, const DesktopSession& session = DesktopSession::current());

}  // namespace orvane
