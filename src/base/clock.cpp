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

std::int64_t unixMilliseconds(WallTime t) {
  using namespace std::chrono;
  return floor<milliseconds>(t.time_since_epoch()).count();
}

double unixSecondsWithFraction(WallTime t) {
  using namespace std::chrono;
  return static_cast<double>(floor<microseconds>(t.time_since_epoch()).count()) / 1e6;
}

}  // namespace orvane
