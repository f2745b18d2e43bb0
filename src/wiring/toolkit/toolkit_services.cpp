#include "wiring/toolkit/toolkit_services.hpp"

#include "app/memory_pasteboard.hpp"
#include "platform/qt/gui/desktop_display.hpp"
#include "platform/qt/gui/desktop_pasteboard.hpp"
#include "platform/qt/gui/qr_png_writer.hpp"
#include "platform/qt/gui/qt_artwork_codec.hpp"
#include "platform/qt/gui/qt_workspace.hpp"

namespace orvane {
namespace {

std::shared_ptr<Pasteboard> makePasteboard(const std::shared_ptr<LogSink>& log) {
  // Without a display (or with one Qt could not reach, where it falls back to a platform
  // of its own) there is no desktop clipboard: Orvane keeps one, which `copy` fills.
  if (!hasDesktopDisplay()) return std::make_shared<MemoryPasteboard>();
  Logger logger(log, "clipboard");
  DesktopPasteboard desktop = makeDesktopPasteboard(logger);
  logger.info("syncing the desktop's clipboard through " + std::string(nameOf(desktop.kind)));
  return std::shared_ptr<Pasteboard>(std::move(desktop.pasteboard));
}

}  // namespace

DesktopServices toolkitServices() {
  DesktopServices services;
  services.makePasteboard = makePasteboard;
  services.makeWorkspace = [](Logger log, std::function<bool()> canControlPlayers) {
    return std::make_shared<QtWorkspace>(std::move(log), std::move(canControlPlayers));
  };
  services.artworkCodec = std::make_shared<QtArtworkCodec>();
  services.writeQrPng = writeQRPng;
  return services;
}

}  // namespace orvane
