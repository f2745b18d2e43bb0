#pragma once

#include <optional>
#include <string>

#include "base/clock.hpp"

namespace orvane {

// The paired phone as the views show it.
struct BridgeDevice {
  std::string id;
  std::string name;
  std::optional<std::string> model;
  std::optional<int> batteryLevel;
  bool isCharging = false;
  std::optional<WallTime> lastSeen;

  // The model (or else the name) with a doubled maker's word said once: phones often
  // report their model with the maker in front of a name that starts with it too
  // ("Acme Acme Phone 7" shows "Acme Phone 7").
  std::string displayName() const;

  bool operator==(const BridgeDevice&) const = default;
};

}  // namespace orvane
