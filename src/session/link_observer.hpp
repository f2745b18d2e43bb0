#pragma once

#include "session/link_state.hpp"

namespace orvane {

// Hears every change of the connection state. Called on the server's queue; must
// return at once.
class LinkObserver {
 public:
  virtual ~LinkObserver() = default;
  virtual void serverStateChanged(const LinkState& state) = 0;
};

}  // namespace orvane
