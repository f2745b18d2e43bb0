#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::DeliveryStatus {

inline constexpr std::string_view pendingPrefix = "pending-";
inline constexpr std::string_view sentPrefix = "sent:";

// The report "sent:" + envelope id names the envelope a pending line left in. The line
// is the one whose id the server carried (`pendingID`); a report without one binds the
// last pending line. A carried id whose line is gone (pushed out of a full list) binds
// nothing, so that no other line takes this envelope's fate. Returns whether a line took
// the envelope's id.
template <class Line>
bool bindSent(std::vector<Line>& lines, std::string_view envelopeID, const std::optional<std::string>& pendingID) {
  auto isPending = [](const Line& l) { return std::string_view(l.id).starts_with(pendingPrefix); };
  if (pendingID) {
    for (Line& line : lines) {
      if (line.id == *pendingID && isPending(line)) {
        line.id = std::string(envelopeID);
        line.acked.reset();
        return true;
      }
    }
    return false;
  }
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    if (isPending(*it)) {
      it->id = std::string(envelopeID);
      it->acked.reset();
      return true;
    }
  }
  return false;
}

// A delivery report: "sent:" + id binds a pending line, anything else sets `acked` on
// the first line with that id. Unknown ids change nothing. Returns whether a line changed.
template <class Line>
bool apply(std::vector<Line>& lines, const std::string& id, bool acked, const std::optional<std::string>& pendingID) {
  if (std::string_view(id).starts_with(sentPrefix)) {
    return bindSent(lines, std::string_view(id).substr(sentPrefix.size()), pendingID);
  }
  auto it = std::find_if(lines.begin(), lines.end(), [&](const Line& l) { return l.id == id; });
  if (it == lines.end()) return false;
  it->acked = acked;
  return true;
}

// Keeps the newest `limit` entries of a list that grows at its end.
template <class T>
void keepLast(std::vector<T>& list, std::size_t limit) {
  if (list.size() > limit) list.erase(list.begin(), list.end() - static_cast<std::ptrdiff_t>(limit));
}

}  // namespace orvane::DeliveryStatus
