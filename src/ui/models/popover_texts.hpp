#pragma once

#include <optional>
#include <string>

#include "app/store/device_bridge_store.hpp"

namespace orvane {

// The popover's texts that follow the store, beyond the device row and the player.
struct PopoverTexts {
  std::string headerSubtitle;         // "Phone linked" while connected, else "Menu bar agent"
  std::string notificationsTrailing;  // how many of the phone's notifications there are, or "None"
  std::string versionLine;            // "v" and the version text; "v" alone without one

  // `versionText`: ApplicationVersion::text() of this build.
  static PopoverTexts of(const DeviceBridgeStore& store, const std::optional<std::string>& versionText);

  bool operator==(const PopoverTexts&) const = default;
};

}  // namespace orvane
