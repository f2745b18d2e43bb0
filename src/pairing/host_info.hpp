#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvane {

// Facts about this computer that the server reads: its name and its IPv4 addresses.
class HostInfo {
 public:
  virtual ~HostInfo() = default;
  // The computer's host name as shown to people; none when it has none.
  virtual std::optional<std::string> localizedHostName() = 0;
  // Every non-loopback IPv4 address in enumeration order (may repeat); empty on failure.
  virtual std::vector<std::string> localIPv4() = 0;
};

}  // namespace orvane
