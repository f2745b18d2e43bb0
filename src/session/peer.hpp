#pragma once

#include <memory>
#include <optional>
#include <string>

#include "base/clock.hpp"
#include "wire/framing.hpp"
#include "wire/transport.hpp"

namespace orvane {

// One connection that reached the ready state and has not been removed.
struct Peer {
  Peer(std::shared_ptr<Connection> c, SteadyTime now) : conn(std::move(c)), lastRx(now), lastTx(now) {}

  const std::shared_ptr<Connection> conn;
  const std::shared_ptr<Framing::Buffer> buffer = std::make_shared<Framing::Buffer>();
  bool authed = false;                 // authenticated, or approved by the user
  std::optional<std::string> deviceID; // set together with `authed`
  SteadyTime lastRx;                   // last non-empty chunk received
  SteadyTime lastTx;                   // last frame handed to the connection
  bool closed = false;                 // nothing is sent or received once set
};

}  // namespace orvane
