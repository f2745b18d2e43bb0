#pragma once

#include "app/pasteboard.hpp"

namespace orvane {

// A pasteboard that lives in this process only: for a machine without a display, where
// text reaches it through the program's own commands, and for tests.
class MemoryPasteboard final : public Pasteboard {
 public:
  std::int64_t changeCount() override { return changeCount_; }
  std::optional<std::string> string() override { return text_; }
  void setString(const std::string& text) override {
    text_ = text;
    ++changeCount_;
  }
  // Content that is not text (an image): the count moves, no string is left.
  void setNonText() {
    text_.reset();
    ++changeCount_;
  }

 private:
  std::int64_t changeCount_ = 0;
  std::optional<std::string> text_;
};

}  // namespace orvane
