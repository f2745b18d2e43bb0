#include "platform/qt/gui/desktop_pasteboard.hpp"

#include <QGuiApplication>

#include <cstdlib>

#include "platform/qt/gui/qt_pasteboard.hpp"
#include "platform/qt/wl_clipboard_pasteboard.hpp"

namespace orvane {

std::string_view nameOf(DesktopPasteboardKind kind) {
  switch (kind) {
    case DesktopPasteboardKind::qtClipboard:
      return "QClipboard";
    case DesktopPasteboardKind::wlClipboard:
      return "wl-clipboard";
  }
  return "unknown";
}

bool isWaylandSession(std::string_view qtPlatform, const char* waylandDisplay) {
  return qtPlatform.starts_with("wayland") || (waylandDisplay != nullptr && waylandDisplay[0] != '\0');
}

std::optional<std::string> qtClipboardLimitation(bool wayland) {
  if (!wayland) return std::nullopt;
  return "Copies made in other programs are seen only while an Orvane window has focus.";
}

DesktopSession DesktopSession::current() {
  DesktopSession session;
  session.wayland = isWaylandSession(QGuiApplication::platformName().toStdString(), std::getenv("WAYLAND_DISPLAY"));
  return session;
}

DesktopPasteboard makeDesktopPasteboard(const Logger& log, const DesktopSession& session) {
  if (session.wayland) {
    WlClipboardPasteboard::Options options{.wlPaste = session.wlPaste, .wlCopy = session.wlCopy, .log = log};
    auto started = WlClipboardPasteboard::start(std::move(options));
    if (started) {
      log.info("Clipboard: wl-clipboard (Wayland data control)");
      return {std::move(*started), DesktopPasteboardKind::wlClipboard};
    }
    const std::optional<std::string> limitation = qtClipboardLimitation(true);
    log.info("Clipboard: QClipboard, as wl-clipboard cannot watch it (" + started.error() + "). " + *limitation);
    return {std::make_unique<QtPasteboard>(limitation), DesktopPasteboardKind::qtClipboard};
  }
  log.info("Clipboard: QClipboard");
  return {std::make_unique<QtPasteboard>(), DesktopPasteboardKind::qtClipboard};
}

}  // namespace orvane
