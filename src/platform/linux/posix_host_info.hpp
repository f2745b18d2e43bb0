#pragma once

#include "pairing/host_info.hpp"

namespace orvane {

// HostInfo from the POSIX calls: gethostname for the name, getifaddrs and getnameinfo
// for the addresses.
class PosixHostInfo final : public HostInfo {
 public:
  // The kernel's host name; none when it is empty or cannot be read.
  std::optional<std::string> localizedHostName() override;
  // Every IPv4 address of an interface that is not a loopback interface, down
  // interfaces included, in the order getifaddrs lists them and with repeats kept;
  // empty when the enumeration fails.
  std::vector<std::string> localIPv4() override;
};

}  // namespace orvane
