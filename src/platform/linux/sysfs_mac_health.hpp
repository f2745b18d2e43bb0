#pragma once

#include <filesystem>
#include <optional>

#include "features/status/mac_health_source.hpp"

namespace orvane {

// This computer's battery and network from the kernel's files: the first battery in
// /sys/class/power_supply, the default route in /proc/net/route, the interface kind
// from /sys/class/net and the Wi-Fi RSSI from /proc/net/wireless. `root` lets tests
// point it at a folder laid out like the real one.
class SysfsMacHealth final : public MacHealthSource {
 public:
  explicit SysfsMacHealth(std::filesystem::path root = "/");
  BatteryReading batteryState() override;
  NetworkReading networkState() override;

  // The interface that carries the IPv4 default route; none when there is none.
  std::optional<std::string> primaryInterface() const;
  // "Wi-Fi", "Ethernet" or none.
  std::optional<std::string> interfaceType(const std::string& name) const;
  std::optional<int> wifiSignal(const std::string& name) const;

  // Level from capacities: current / max * 100, rounded half away from zero; none when max < 1.
  static std::optional<int> levelFromCapacity(long long current, long long max);
  // 0 at -80 dBm or below ... 4 from -49 to -1; none for 0 or more.
  static std::optional<int> levelFromRSSI(int dbm);

 private:
  std::filesystem::path root_;
};

}  // namespace orvane
