#pragma once

#include <string>

#include "app/store/device_bridge_store.hpp"

namespace orvane {

// The device row of the menu-bar popover: the phone's name, one word for the state of
// the link, and a line that says more about it.
struct PopoverDeviceRow {
  static constexpr const char* oldPairingSummary = "Your phone has an old pairing. Pair again";

  std::string title;
  std::string statusWord;
  std::string statusSummary;

  // `oldPairing`: a phone that still holds a pairing this computer no longer knows was
  // refused, and nothing has settled that since (StalePairingNotice). While the link is
  // down the row says so in place of the connection's title, since pairing again is
  // what brings that phone back; while a phone waits for approval the row speaks of
  // that request instead.
  static PopoverDeviceRow of(const DeviceBridgeStore& store, bool oldPairing = false);

  bool operator==(const PopoverDeviceRow&) const = default;
};

}  // namespace orvane
