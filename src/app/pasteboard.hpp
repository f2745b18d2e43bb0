#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

// The desktop's clipboard as the hub sees it: a change count and plain text. Used on
// the main thread only.
//
// The change count is the whole contract of change detection: it must move on every
// change of the content, by this program or any other, and only then. A write through
// `setString` has moved it before `setString` returns, and the same write must not
// move it again later (an adapter that learns of its own writes asynchronously swallows
// that report), so that the hub can record the count after a write and never take its
// own write for a copy made by the user.
class Pasteboard {
 public:
  virtual ~Pasteboard() = default;
  virtual std::int64_t changeCount() = 0;
  // The plain text on the pasteboard; none when it holds no text (an image, nothing).
  virtual std::optional<std::string> string() = 0;
  // Replaces the whole content with `text`.
  virtual void setString(const std::string& text) = 0;
  // Why changes made by other programs may go unseen here, once known; none when every
  // change is seen.
  virtual std::optional<std::string> limitation() const { return std::nullopt; }
};

}  // namespace orvane
