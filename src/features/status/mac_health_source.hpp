#pragma once

#include <optional>
#include <string>

#include "wire/envelope.hpp"

namespace orvane {

struct BatteryReading {
  std::optional<int> level;  // 0...100; none without an internal battery
  bool charging = false;
};

struct NetworkReading {
  std::string network = "Offline";  // "Wi-Fi", "Ethernet" or "Offline"
  std::optional<int> signal;        // 0...4, Wi-Fi only
};

// This computer's power and network condition, measured fresh on each call.
class MacHealthSource {
 public:
  virtual ~MacHealthSource() = default;
  virtual BatteryReading batteryState() = 0;
  virtual NetworkReading networkState() = 0;
};

namespace MacHealthSnapshot {
// The `mac_health` body: "network", "charging" always; "battery" and "signal" when known.
Body body(const BatteryReading& battery, const NetworkReading& network);
}  // namespace MacHealthSnapshot

}  // namespace orvane
