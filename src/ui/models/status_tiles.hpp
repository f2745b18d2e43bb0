#pragma once

#include <array>
#include <string>

#include "app/store/device_bridge_store.hpp"
#include "features/status/phone_status.hpp"

namespace orvane {

// One cell of the rail's status grid: what it measures, its reading and its symbol.
struct StatusTile {
  std::string label;
  std::string value;
  std::string symbol;
  bool warning = false;  // drawn with the warning tint

  bool operator==(const StatusTile&) const = default;
};

// The rail's four tiles, in the grid's order: battery, Wi-Fi, cellular, Bluetooth. The
// settings window's "Phone status" rows use the same words.
struct StatusTiles {
  // At or below this level the battery tile is tinted as a warning.
  static constexpr int lowBatteryPercent = 20;

  StatusTile battery;
  StatusTile wifi;
  StatusTile cellular;
  StatusTile bluetooth;

  // The phone's last report, shown as it stands whatever the link is doing.
  static StatusTiles of(const PhoneStatus& status);
  static StatusTiles of(const DeviceBridgeStore& store) { return of(*store.phoneStatus); }

  std::array<StatusTile, 4> inOrder() const { return {battery, wifi, cellular, bluetooth}; }

  bool operator==(const StatusTiles&) const = default;
};

}  // namespace orvane
