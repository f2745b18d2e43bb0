#include "base/fake_clock.hpp"

namespace orvane {

FakeClock::FakeClock()
    : steady_(SteadyTime{} + std::chrono::hours(1000)),
      wall_(WallTime{} + std::chrono::seconds(1767623400)) {}

void FakeClock::advance(Duration d) {
  steady_.store(steady_.load() + d);
  wall_.store(wall_.load() + std::chrono::duration_cast<WallTime::duration>(d));
}

}  // namespace orvane
