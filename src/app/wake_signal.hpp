#pragma once

#include <functional>

namespace orvane {

// Tells when the computer has woken from sleep.
class WakeSignal {
 public:
  virtual ~WakeSignal() = default;
  // `handler` runs on the main thread each time the computer wakes; a later call
  // replaces it.
  virtual void setHandler(std::function<void()> handler) = 0;
};

}  // namespace orvane
