#pragma once

#include <chrono>
#include <functional>

namespace orvane::testing {

// Runs the Qt event loop of this thread until `condition` holds, checking it after
// every few milliseconds of events, or until `limit` has passed; whether it held.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit);

}  // namespace orvane::testing
