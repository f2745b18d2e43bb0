#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/store/device_bridge_store.hpp"
#include "ui/models/confirmation.hpp"

namespace orvane {

// The one button under the rail's status grid: "Disconnect" while the link is up,
// "Pair a device" with no pairing, "Reconnect" for a paired phone that is not connected.
struct RailPrimaryAction {
  enum class Kind { disconnect, pair, reconnect };

  Kind kind = Kind::pair;
  std::string title;
  std::string symbol;
  std::optional<std::string> help;

  static RailPrimaryAction of(const DeviceBridgeStore& store);

  // Clicking the button. Disconnecting asks first: nothing is sent, and the question to
  // show is returned. Pairing runs `onPair`; reconnecting sends `connect`.
  std::optional<Confirmation> press(const DeviceBridgeStore& store, const std::function<void()>& onPair) const;

  bool operator==(const RailPrimaryAction&) const = default;
};

}  // namespace orvane
