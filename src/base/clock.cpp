#include "base/clock.hpp"

namespace orvane {

SystemClock& SystemClock::shared() {
  static SystemClock clock;
  return clock;
}

std::int64_t unixSeconds(WallTime t) {
  using namespace std::chrono;
  // floor, not truncation towards zero: 0.9 s after a whole second is that second.
  return floor<seconds>(t.time_since_epoch()).count();
}

}  // namespace orvane
