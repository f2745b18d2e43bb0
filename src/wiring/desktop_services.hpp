#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/pasteboard.hpp"
#include "app/workspace.hpp"
#include "base/expected.hpp"
#include "base/log.hpp"
#include "features/media/artwork_codec.hpp"
#include "pairing/qr_image.hpp"

namespace orvane {

// What the headless program takes from the desktop around it. With Qt's graphical
// library these are the desktop's clipboard, its handler of links and the image codecs;
// the program built without that library (for machines with no display) has a clipboard
// of its own, no links to open and no image codecs.
struct DesktopServices {
  // The clipboard synced with the phone.
  std::function<std::shared_ptr<Pasteboard>(const std::shared_ptr<LogSink>& log)> makePasteboard;
  std::function<std::shared_ptr<Workspace>(Logger log, std::function<bool()> canControlPlayers)> makeWorkspace;
  // Covers are re-encoded for the phone with it; none: covers go without renditions.
  std::shared_ptr<ArtworkCodec> artworkCodec;
  // Writes the QR code as a PNG file; empty where no image writer is built in.
  std::function<expected<void, std::string>(const QRImage& image, const std::string& path)> writeQrPng;
};

}  // namespace orvane
