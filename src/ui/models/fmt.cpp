#include "ui/models/fmt.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace orvane {

namespace {

constexpr std::int64_t minute = 60;
constexpr std::int64_t hour = 60 * minute;
constexpr std::int64_t day = 24 * hour;
// Months and years are counted at fixed lengths: an age is read at a glance, and a day
// either way at these spans changes nothing anyone acts on.
constexpr std::int64_t daysPerMonth = 30;
constexpr std::int64_t daysPerYear = 365;

std::string ago(std::int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many) + " ago";
}

// The abbreviated relative style, for an hour and more in the past.
std::string relative(std::int64_t seconds) {
  if (seconds < day) return ago(seconds / hour, "hr.", "hr.");
  const std::int64_t days = seconds / day;
  if (days < 7) return ago(days, "day", "days");
  if (days < daysPerMonth) return ago(days / 7, "wk.", "wk.");
  if (days < daysPerYear) return ago(std::min<std::int64_t>(days / daysPerMonth, 11), "mo.", "mo.");
  return ago(days / daysPerYear, "yr.", "yr.");
}

}  // namespace

std::string Fmt::age(WallTime date, WallTime now) {
  const double d = std::chrono::duration_cast<Seconds>(now - date).count();
  if (d < 10) return "just now";
  const auto seconds = static_cast<std::int64_t>(std::floor(d));
  if (d < 60) return std::to_string(seconds) + "s ago";
  if (d < 3600) return std::to_string(seconds / minute) + "m ago";
  return relative(seconds);
}

}  // namespace orvane
