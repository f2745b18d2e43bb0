#include "ui/models/popover_now_playing.hpp"

namespace orvane {

namespace {
bool filled(const std::optional<std::string>& text) { return text && !text->empty(); }
}  // namespace

std::optional<PopoverNowPlaying> PopoverNowPlaying::of(const DeviceBridgeStore& store) {
  if (!store.media->has_value()) return std::nullopt;
  const BridgeMedia& media = **store.media;
  PopoverNowPlaying shown;
  const bool titled = filled(media.title);
  shown.title = titled ? *media.title : media.app;
  if (filled(media.artist)) {
    shown.subtitle = *media.artist;
  } else if (titled) {
    shown.subtitle = media.app;
  }
  shown.playPauseLabel = media.isPlaying ? "Pause" : "Play";
  return shown;
}

}  // namespace orvane
