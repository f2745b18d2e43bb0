#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// Cuts the adapter's stream output, in whatever pieces the pipe delivers it, into lines
// at each line feed (byte 10), the line feed dropped. Bytes after the last line feed
// wait for the next piece. A line that grows past `maxLine` bytes (a stream gone wrong,
// or one that never ends a line) is thrown away up to its line feed instead of being
// kept without bound: cut short it would not be JSON anyway.
class StreamLineBuffer {
 public:
  explicit StreamLineBuffer(std::size_t maxLine) : maxLine_(maxLine) {}

  // The lines `chunk` completes, oldest first.
  std::vector<std::string> append(std::string_view chunk);
  // Forgets the unfinished line.
  void clear();
  // Bytes waiting for their line feed.
  std::size_t pending() const { return partial_.size(); }

 private:
  std::size_t maxLine_;
  std::string partial_;
  bool discarding_ = false;  // inside a line that grew too long
};

}  // namespace orvane
