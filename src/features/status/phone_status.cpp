#include "features/status/phone_status.hpp"

#include <algorithm>

#include "base/text.hpp"

namespace orvane {

namespace {

bool flag(const Body& body, std::string_view key) {
  auto it = body.find(key);
  return it != body.end() && it->second == "1";
}

std::optional<int> clampedLevel(const Body& body, std::string_view key, std::int64_t high) {
  auto it = body.find(key);
  if (it == body.end()) return std::nullopt;
  auto value = text::parseInt64(it->second);
  if (!value) return std::nullopt;
  return static_cast<int>(std::clamp<std::int64_t>(*value, 0, high));
}

}  // namespace

PhoneStatus PhoneStatus::from(const Body& body, WallTime now) {
  PhoneStatus s;
  s.batteryPercent = clampedLevel(body, "battery", 100);
  s.charging = flag(body, "charging");
  s.wifi = flag(body, "wifi");
  s.wifiEnabled = flag(body, "wifi_enabled");
  s.wifiLevel = clampedLevel(body, "wifi_level", 4);
  s.cellular = flag(body, "cellular");
  s.simReady = flag(body, "sim");
  s.signalLevel = clampedLevel(body, "signal", 4);
  s.bluetooth = flag(body, "bluetooth");
  s.updatedAt = now;
  return s;
}

std::string PhoneStatus::wifiLabel() const {
  if (!wifi) return wifiEnabled ? "On" : "Off";
  switch (wifiLevel.value_or(0)) {
    case 1: return "Weak";
    case 2: return "Fair";
    case 3: return "Good";
    case 4: return "Excellent";
    default: return "Connected";
  }
}

}  // namespace orvane
