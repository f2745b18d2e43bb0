#pragma once

#include <string>

#include "app/store/device_bridge_store.hpp"

namespace orvane {

// The tray icon: its status dot (green while the phone is connected, red otherwise)
// and what a screen reader says of it.
struct MenuBarIcon {
  bool connected = false;
  std::string accessibilityLabel;  // "Orvane, phone connected" / "Orvane, phone disconnected"

  static MenuBarIcon of(const DeviceBridgeStore& store);

  bool operator==(const MenuBarIcon&) const = default;
};

}  // namespace orvane
