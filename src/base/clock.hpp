#pragma once

#include <chrono>

namespace orvane {

using SteadyTime = std::chrono::steady_clock::time_point;
using WallTime = std::chrono::system_clock::time_point;
using Duration = std::chrono::steady_clock::duration;
using Seconds = std::chrono::duration<double>;

// Source of time for every rule that measures it. Liveness and time-outs use the
// monotonic reading; anything shown to a person or sent on the wire uses wall time.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual SteadyTime now() const = 0;
  virtual WallTime wallNow() const = 0;
};

class SystemClock final : public Clock {
 public:
  SteadyTime now() const override { return std::chrono::steady_clock::now(); }
  WallTime wallNow() const override { return std::chrono::system_clock::now(); }
  static SystemClock& shared();
};

// Whole seconds since 1970-01-01 UTC, the fraction cut off (never rounded up).
std::int64_t unixSeconds(WallTime t);
// Whole milliseconds since 1970-01-01 UTC, the fraction cut off.
std::int64_t unixMilliseconds(WallTime t);
// Seconds since 1970-01-01 UTC with their fraction (microseconds kept).
double unixSecondsWithFraction(WallTime t);

}  // namespace orvane
