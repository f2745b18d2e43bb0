#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/clock.hpp"

namespace orvane {

// One clipboard text that went to the phone or came from it.
struct ClipHistoryItem {
  std::string id;  // a new UUID per entry
  std::string text;
  WallTime at;
  bool outgoing = false;  // true: sent from this computer
  bool operator==(const ClipHistoryItem&) const = default;
};

namespace ClipHistory {
inline constexpr std::size_t maxEntries = 40;
// The history with `item` in front: an older entry with the same text leaves its
// place, and entries beyond the 40 newest are dropped.
std::vector<ClipHistoryItem> adding(std::vector<ClipHistoryItem> history, ClipHistoryItem item);
}  // namespace ClipHistory

// "HH:mm:ss" in the local time zone.
std::string clockText(WallTime at);

}  // namespace orvane
