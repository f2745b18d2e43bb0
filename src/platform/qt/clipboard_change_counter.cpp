#include "platform/qt/clipboard_change_counter.hpp"

#include <algorithm>

#include "base/text.hpp"

namespace orvane {

namespace {

constexpr std::string_view ownTypePrefix = "text/plain;charset=utf-8;";

}  // namespace

std::string ClipboardChangeCounter::nextWriteType() {
  return std::string(ownTypePrefix) + tag_ + std::to_string(++issued_);
}

void ClipboardChangeCounter::take(const Selection& selection) {
  if (!started_) {
    started_ = true;
    return;
  }
  const std::string ours = std::string(ownTypePrefix) + tag_;
  const auto marked = std::find_if(selection.types.begin(), selection.types.end(),
                                   [&](const std::string& type) { return type.starts_with(ours); });
  if (marked != selection.types.end()) {
    const std::optional<std::int64_t> serial = text::parseInt64(std::string_view(*marked).substr(ours.size()));
    if (serial && *serial > 0 && static_cast<std::uint64_t>(*serial) <= issued_) {
      const auto n = static_cast<std::uint64_t>(*serial);
      if (n > seen_) {
        // The selection of a write of ours, coming once.
        seen_ = n;
        holdsLatest_ = n == issued_;
        return;
      }
      // The latest write offered again as it was (a clipboard manager keeping it
      // alive) changes nothing; an older one brought back from a history does.
      if (n == issued_ && holdsLatest_) return;
    }
  }
  holdsLatest_ = false;
  ++count_;
}

}  // namespace orvane
