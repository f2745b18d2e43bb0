#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <map>
#include <string>

#include "base/clock.hpp"

namespace orvane {

// Slows down an address that keeps being refused pairing or authentication. The
// refusal codes tell a guessing device whether a device id is the paired one, and
// the phone app relies on those codes, so they stay; after more than five refusals
// to one address within a minute, each further one is answered a little later.
class RefusalThrottle {
 public:
  static constexpr std::size_t freeRefusals = 5;
  static constexpr auto window = std::chrono::seconds(60);
  static constexpr auto delay = std::chrono::milliseconds(200);
  // Addresses remembered at once; the least recently refused is forgotten first.
  static constexpr std::size_t maxAddresses = 256;

  // Records one refusal to `address` at `now`; gives how long to wait before sending it.
  Duration refuse(const std::string& address, SteadyTime now);

 private:
  std::map<std::string, std::deque<SteadyTime>> recent_;
};

}  // namespace orvane
