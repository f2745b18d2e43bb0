#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvane {

// The address shown in the QR code, chosen among this computer's IPv4 addresses.
namespace LocalIPs {
// Rank 192.168.* < 10.* < 172.* < others, stable; none for an empty list.
std::optional<std::string> preferred(const std::vector<std::string>& ips);
}  // namespace LocalIPs

}  // namespace orvane
