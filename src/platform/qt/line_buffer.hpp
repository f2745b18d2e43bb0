#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// Splits what a child prints, in whatever pieces it arrives, into lines without their
// "\n". A line is kept to `maxLine` bytes and the rest of it dropped, so a child that
// never ends a line cannot grow it without bound.
class LineBuffer {
 public:
  explicit LineBuffer(std::size_t maxLine) : maxLine_(maxLine) {}

  // The lines that `bytes` completes, oldest first.
  std::vector<std::string> append(std::string_view bytes) {
    std::vector<std::string> lines;
    for (char c : bytes) {
      if (c == '\n') {
        lines.push_back(std::move(partial_));
        partial_.clear();
      } else if (partial_.size() < maxLine_) {
        partial_.push_back(c);
      }
    }
    return lines;
  }

 private:
  std::size_t maxLine_;
  std::string partial_;
};

}  // namespace orvane
