#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/expected.hpp"
#include "session/peer.hpp"
#include "wire/envelope.hpp"

namespace orvane {

// One row of the inbound message catalogue.
struct Route {
  using Handler = std::function<void(const Envelope& envelope, Peer& peer, PeerID peerID)>;
  std::string type;
  bool needsAuth = true;  // the connection must have authenticated first
  Handler handle;
};

// The inbound catalogue, built from the rows each module registers. Message types are
// matched exactly (case-sensitive).
class RouteRegistry {
 public:
  // Refuses a second row for a type already present: two handlers for one message
  // is a wiring mistake that must stop the program at start, not shadow a feature.
  expected<void, std::string> add(std::string type, bool needsAuth, Route::Handler handle);
  const Route* find(std::string_view type) const;
  std::size_t size() const { return routes_.size(); }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::unordered_map<std::string, Route, Hash, std::equal_to<>> routes_;
};

}  // namespace orvane
