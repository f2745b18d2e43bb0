#include "features/status/mac_health_source.hpp"

namespace orvane::MacHealthSnapshot {

Body body(const BatteryReading& battery, const NetworkReading& network) {
  Body b{{"network", network.network}, {"charging", battery.charging ? "1" : "0"}};
  if (battery.level) b["battery"] = std::to_string(*battery.level);
  if (network.network == "Wi-Fi" && network.signal) b["signal"] = std::to_string(*network.signal);
  return b;
}

}  // namespace orvane::MacHealthSnapshot
