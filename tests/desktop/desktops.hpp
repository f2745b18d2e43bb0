#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/pasteboard.hpp"

namespace orvane::testing {

// A desktop the pasteboards run against, with another program that copies and pastes
// on it: xclip on X11, wl-copy and wl-paste on Wayland.
class Desktop {
 public:
  virtual ~Desktop() = default;
  // The Qt platform its script sets, and the script.
  virtual std::string qtPlatform() const = 0;
  virtual std::string script() const = 0;
  virtual std::unique_ptr<Pasteboard> makePasteboard() const = 0;
  // Another program's copy; false when the program failed.
  virtual bool copyText(const std::string& text) const = 0;
  virtual bool copyImage() const = 0;
  // What another program pastes as text; none when it fails.
  virtual std::optional<std::string> pasteText() const = 0;
};

// Another program copies a fresh text after whatever a case did, and the count must
// move for it exactly once, from `expected`. The desktop tells of changes in order, so a
// late report of anything before has been sent by the time this copy is seen; the short
// quiet wait after lets such a report arrive.
void expectCountThroughLaterCopy(const Desktop& desktop, Pasteboard& pasteboard, std::int64_t expected);

const Desktop& x11Desktop();
const Desktop& swayDesktop();

}  // namespace orvane::testing
