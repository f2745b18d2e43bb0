#pragma once

#include <optional>
#include <string>

#include "pairing/paired_device.hpp"
#include "wire/transport.hpp"

namespace orvane {

// The DNS-SD advertisement by which only the paired phone finds this computer: name
// "Orvane-" + four characters of the install id, type "_orvane._tcp", and one TXT
// string "th=" + the URL-safe base64 SHA-256 of the discovery token.
namespace DiscoveryRecord {

inline constexpr const char* serviceType = "_orvane._tcp";

// None when no phone is paired or its discovery token is absent or empty.
std::optional<DiscoveryService> service(const std::optional<PairedDevice>& paired, const std::string& installID);

}  // namespace DiscoveryRecord

}  // namespace orvane
