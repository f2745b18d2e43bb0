#include "pairing/refusal_throttle.hpp"

#include <algorithm>

namespace orvane {

Duration RefusalThrottle::refuse(const std::string& address, SteadyTime now) {
  auto& times = recent_[address];
  while (!times.empty() && now - times.front() >= window) times.pop_front();
  times.push_back(now);
  const bool slow = times.size() > freeRefusals;

  if (recent_.size() > maxAddresses) {
    // Drop whole addresses whose refusals are all outside the window, then, if still
    // too many, the one refused longest ago.
    std::erase_if(recent_, [&](const auto& entry) { return now - entry.second.back() >= window; });
    while (recent_.size() > maxAddresses) {
      auto stalest = std::min_element(recent_.begin(), recent_.end(),
                                      [](const auto& a, const auto& b) { return a.second.back() < b.second.back(); });
      recent_.erase(stalest);
    }
  }
  return slow ? Duration(delay) : Duration::zero();
}

}  // namespace orvane
