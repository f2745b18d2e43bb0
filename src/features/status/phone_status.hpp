#pragma once

#include <optional>
#include <string>

#include "base/clock.hpp"
#include "wire/envelope.hpp"

namespace orvane {

// The phone's last reported battery and radio condition.
struct PhoneStatus {
  std::optional<int> batteryPercent;  // 0...100
  bool charging = false;
  bool wifi = false;         // connected to Wi-Fi
  bool wifiEnabled = false;
  std::optional<int> wifiLevel;       // 0...4
  bool cellular = false;
  bool simReady = false;
  std::optional<int> signalLevel;     // 0...4
  bool bluetooth = false;
  WallTime updatedAt{};               // the distant past until a report arrives

  // Reads a `phone_status` body: flags are true only for "1"; levels are strict
  // decimals clamped to their range, anything else absent. Never refuses a body.
  static PhoneStatus from(const Body& body, WallTime now);

  // "On"/"Off" when not on Wi-Fi; "Weak", "Fair", "Good", "Excellent" by level, else "Connected".
  std::string wifiLabel() const;

  bool operator==(const PhoneStatus&) const = default;
};

}  // namespace orvane
