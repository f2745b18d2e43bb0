#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/clock.hpp"
#include "wire/framing.hpp"
#include "wire/transport.hpp"

namespace orvane {

// One connection that reached the ready state and has not been removed.
struct Peer {
  Peer(std::shared_ptr<Connection> c, SteadyTime now, std::uint64_t order)
      : conn(std::move(c)), lastRx(now), lastTx(now), arrival(order) {}

  const std::shared_ptr<Connection> conn;
  const std::shared_ptr<Framing::Buffer> buffer = std::make_shared<Framing::Buffer>();
  bool authed = false;                 // authenticated, or approved by the user
  std::optional<std::string> deviceID; // set together with `authed`
  SteadyTime lastRx;                   // last non-empty chunk received
  SteadyTime lastTx;                   // last frame handed to the connection
  bool closed = false;                 // nothing is sent or received once set
  bool refused = false;                // its final refusal waits to be sent: nothing more is routed
  std::uint64_t arrival;               // order in which connections became ready
  std::size_t queuedBytes = 0;         // handed to the connection, not yet written
};

}  // namespace orvane
