// Age texts at the edge of every step, with now taken from the fake clock.
#include "ui/models/fmt.hpp"

#include <gtest/gtest.h>

#include "base/fake_clock.hpp"

namespace orvane {
namespace {

using std::chrono::duration_cast;
using std::chrono::milliseconds;

TEST(FmtAge, EachStepFromJustNowToYears) {
  constexpr double minute = 60, hour = 3600, day = 86400;
  struct Row {
    double secondsAgo;
    std::string text;
  };
  const std::vector<Row> rows{
      {-120, "just now"},  // a date ahead of this computer's clock
      {0, "just now"},
      {9.999, "just now"},
      {10, "10s ago"},
      {10.5, "10s ago"},
      {59.9, "59s ago"},
      {60, "1m ago"},
      {119.9, "1m ago"},
      {120, "2m ago"},
      {3599.9, "59m ago"},
      {3600, "1 hr. ago"},
      {2 * hour + 59 * minute, "2 hr. ago"},
      {day - 1, "23 hr. ago"},
      {day, "1 day ago"},
      {2 * day, "2 days ago"},
      {7 * day - 1, "6 days ago"},
      {7 * day, "1 wk. ago"},
      {29 * day, "4 wk. ago"},
      {30 * day, "1 mo. ago"},
      {364 * day, "11 mo. ago"},
      {365 * day, "1 yr. ago"},
      {3 * 365 * day + day, "3 yr. ago"},
  };
  for (const Row& row : rows) {
    FakeClock clock;
    const WallTime date = clock.wallNow();
    clock.advance(duration_cast<Duration>(Seconds(row.secondsAgo)));
    EXPECT_EQ(Fmt::age(date, clock), row.text) << row.secondsAgo;
    EXPECT_EQ(Fmt::age(date, clock.wallNow()), row.text) << row.secondsAgo;
  }
}

TEST(FmtAge, ANotificationFromTheWireIsMeasuredToTheMillisecond) {
  // Notification times arrive as milliseconds since 1970, so a card's date has no finer part.
  struct Row {
    std::int64_t millisecondsAgo;
    std::string text;
  };
  const std::vector<Row> rows{{9'999, "just now"}, {59'900, "59s ago"}, {59'999, "59s ago"}, {60'000, "1m ago"}};
  for (const Row& row : rows) {
    FakeClock clock;
    const WallTime received{duration_cast<milliseconds>(clock.wallNow().time_since_epoch())};
    clock.setWall(received + milliseconds(row.millisecondsAgo));
    EXPECT_EQ(Fmt::age(received, clock), row.text) << row.millisecondsAgo;
  }
}

}  // namespace
}  // namespace orvane
