#pragma once

#include <string>

#include "base/clock.hpp"

namespace orvane {

// Texts the views share for times.
struct Fmt {
  // How long ago `date` was, seen at `now`: "just now" under 10 seconds (and for a date
  // ahead of now), "59s ago" under a minute, "59m ago" under an hour; beyond that the
  // largest whole unit in the abbreviated style: "1 hr. ago", "3 days ago", "2 wk. ago",
  // "5 mo. ago", "1 yr. ago". Every count is cut down to its whole part.
  static std::string age(WallTime date, WallTime now);
  // The same, but nothing for the start of the epoch: the phone sends no time for some
  // notifications, and "56 yr. ago" would be a wrong answer where there is none.
  static std::string knownAge(WallTime date, WallTime now) { return date == WallTime{} ? std::string() : age(date, now); }
  // The same, now read from `clock`.
  static std::string age(WallTime date, const Clock& clock) { return age(date, clock.wallNow()); }
};

}  // namespace orvane
