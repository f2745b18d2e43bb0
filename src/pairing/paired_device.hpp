#pragma once

#include <optional>
#include <string>

#include "base/bytes.hpp"
#include "base/clock.hpp"
#include "base/expected.hpp"

namespace orvane {

// The record of the paired phone, stored as pairing.json.
struct PairedDevice {
  std::string deviceID;
  std::string deviceName;
  std::string tokenHashB64;                  // standard base64 of SHA-256 of the phone token's bytes
  WallTime pairedAt;                         // stored as seconds since 2001-01-01 00:00:00 UTC
  std::optional<std::string> discoveryToken; // six decimal digits

  // The JSON object with exactly the keys "deviceID", "deviceName", "tokenHashB64",
  // "pairedAt" and, when present, "discoveryToken".
  std::string toJSON() const;
  static std::optional<PairedDevice> fromJSON(const Bytes& json);

  // "%06d" of a uniform random integer from 0 to 999999.
  static std::string newDiscoveryToken();

  bool operator==(const PairedDevice&) const = default;
};

}  // namespace orvane
