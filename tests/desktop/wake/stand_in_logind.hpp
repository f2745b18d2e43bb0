#pragma once

#include <cstdint>
#include <string>

#include "base/expected.hpp"

namespace orvane::testing {

// Drives the stand-in logind that tests/desktop/logind_env.sh runs (python-dbusmock's
// logind template), through the mock's own D-Bus interface and the script. Each call
// returns once the stand-in has sent the signal or the change is complete; an error
// tells what the tool said.
class StandInLogind {
 public:
  // PrepareForSleep(start) from logind's name, object and interface, as logind sends it.
  expected<void, std::string> prepareForSleep(bool start) const;
  // The same signal from logind's name on another object path.
  expected<void, std::string> prepareForSleepAt(const std::string& path, bool start) const;
  // A signal of that name and argument from logind's name and object on another interface.
  expected<void, std::string> prepareForSleepOn(const std::string& interface, bool start) const;
  // The same signal, path and interface from a connection that does not own logind's name.
  expected<void, std::string> prepareForSleepFromImpostor(bool start) const;
  // The tests' fence signal carrying `number` (see BusProbe).
  expected<void, std::string> fence(std::uint32_t number) const;
  // Takes logind off the bus, or puts a fresh one on it.
  expected<void, std::string> stop() const;
  expected<void, std::string> start() const;
};

}  // namespace orvane::testing
