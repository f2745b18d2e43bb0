#pragma once

#include <chrono>
#include <cstdlib>

namespace orvane {

// The whole-number factor on these tests' deadlines, from ORVANE_TEST_TIME_SCALE:
// CTest sets it for builds whose code runs several times slower (the ThreadSanitizer
// build). 1 when unset or not a positive number.
inline int testTimeScale() {
  const char* text = std::getenv("ORVANE_TEST_TIME_SCALE");
  const int scale = text != nullptr ? std::atoi(text) : 1;
  return scale > 0 ? scale : 1;
}

template <class Rep, class Period>
std::chrono::duration<Rep, Period> scaledForBuild(std::chrono::duration<Rep, Period> span) {
  return span * testTimeScale();
}

}  // namespace orvane
