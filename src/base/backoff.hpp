#pragma once

#include <algorithm>

#include "base/clock.hpp"

namespace orvane {

// The waits between attempts at something that keeps failing: the first wait, then
// twice the one before, up to a ceiling; back to the first once an attempt succeeds.
// A failure that lasts (no system bus, say) then costs a wake-up every few minutes
// instead of every few seconds, while a short outage is still noticed quickly.
class Backoff {
 public:
  Backoff(Duration first, Duration ceiling) : first_(first), ceiling_(std::max(first, ceiling)), next_(first) {}

  // The wait before the next attempt; the one after it is twice as long, up to the ceiling.
  Duration next() {
    const Duration wait = next_;
    next_ = next_ >= ceiling_ / 2 ? ceiling_ : 2 * next_;
    return wait;
  }
  // After a success: the next failure waits the first wait again.
  void reset() { next_ = first_; }

 private:
  Duration first_;
  Duration ceiling_;
  Duration next_;
};

}  // namespace orvane
