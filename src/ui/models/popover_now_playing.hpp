#pragma once

#include <optional>
#include <string>

#include "app/store/device_bridge_store.hpp"

namespace orvane {

// The popover's "Now playing" section: what the phone plays, shown only while it
// reports a player. Its buttons call the store's mediaCommand with previous,
// playPause and next.
struct PopoverNowPlaying {
  // The track's title, or the player's name for a track without one.
  std::string title;
  // The artist; without one, the player's name when the title did not already show
  // it; otherwise empty.
  std::string subtitle;
  // What the play/pause button does: "Pause" while playing, else "Play".
  std::string playPauseLabel;

  // None while the phone reports no player: the section is not shown.
  static std::optional<PopoverNowPlaying> of(const DeviceBridgeStore& store);

  bool operator==(const PopoverNowPlaying&) const = default;
};

}  // namespace orvane
