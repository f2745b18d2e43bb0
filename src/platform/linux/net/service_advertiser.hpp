#pragma once

#include <cstdint>
#include <optional>

#include "wire/transport.hpp"

namespace orvane {

// Publishes the listener on the local network by DNS-SD. The TLS listener forwards
// its service here while it is listening, and withdraws it when cancelled.
class ServiceAdvertiser {
 public:
  virtual ~ServiceAdvertiser() = default;
  // Replaces whatever was published for the listener on `port`; none withdraws it.
  // Called on the server queue.
  virtual void advertise(std::optional<DiscoveryService> service, std::uint16_t port) = 0;
};

}  // namespace orvane
