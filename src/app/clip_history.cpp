#include "app/clip_history.hpp"

#include <time.h>

#include <algorithm>
#include <cstdio>

#include "base/text.hpp"

namespace orvane {

std::vector<ClipHistoryItem> ClipHistory::adding(std::vector<ClipHistoryItem> history, ClipHistoryItem item) {
  std::erase_if(history, [&](const ClipHistoryItem& old) { return text::canonicallyEqual(old.text, item.text); });
  history.insert(history.begin(), std::move(item));
  if (history.size() > maxEntries) history.resize(maxEntries);
  return history;
}

std::string clockText(WallTime at) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
  std::tm local{};
  if (!::localtime_r(&seconds, &local)) return "--:--:--";
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

}  // namespace orvane
