#pragma once

#include <atomic>

#include "base/clock.hpp"

namespace orvane {

// A clock that moves only when told to; both readings advance together.
class FakeClock final : public Clock {
 public:
  // Starts at an arbitrary but fixed wall time (2026-01-05 14:30:00 UTC).
  FakeClock();
  SteadyTime now() const override { return steady_.load(); }
  WallTime wallNow() const override { return wall_.load(); }
  void advance(Duration d);
  void setWall(WallTime t) { wall_.store(t); }

 private:
  std::atomic<SteadyTime> steady_;
  std::atomic<WallTime> wall_;
};

}  // namespace orvane
