#include "base/backoff.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace orvane {
namespace {

using namespace std::chrono_literals;
using std::chrono::duration_cast;
using std::chrono::seconds;

std::vector<seconds::rep> waits(Backoff& backoff, int n) {
  std::vector<seconds::rep> out;
  for (int i = 0; i < n; ++i) out.push_back(duration_cast<seconds>(backoff.next()).count());
  return out;
}

TEST(Backoff, DoublesUpToTheCeilingAndStaysThere) {
  Backoff backoff(5s, 300s);
  EXPECT_EQ(waits(backoff, 9), (std::vector<seconds::rep>{5, 10, 20, 40, 80, 160, 300, 300, 300}));
}

TEST(Backoff, StartsOverAfterASuccess) {
  Backoff backoff(5s, 300s);
  waits(backoff, 4);
  backoff.reset();
  EXPECT_EQ(waits(backoff, 3), (std::vector<seconds::rep>{5, 10, 20}));
}

TEST(Backoff, ACeilingBelowTheFirstWaitKeepsTheFirst) {
  Backoff backoff(5s, 1s);
  EXPECT_EQ(waits(backoff, 3), (std::vector<seconds::rep>{5, 5, 5}));
}

}  // namespace
}  // namespace orvane
