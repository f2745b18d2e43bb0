#pragma once

#include <cstddef>
#include <functional>
#include <istream>
#include <memory>
#include <string>

#include "base/serial_queue.hpp"

namespace orvane::cli {

// Splits `in` into lines until it ends, handing each to `onLine`. A line longer than
// `maxLine` bytes is never held whole: it is read to its end, dropped, and reported to
// `onTooLong`, so that input without line breaks cannot fill the memory.
void readLines(std::istream& in, std::size_t maxLine, const std::function<void(std::string)>& onLine,
               const std::function<void()>& onTooLong);

// Reads commands from standard input, one per line, on a thread of its own, and hands
// each to `onLine` on the main queue. At the end of input it stops reading; the
// program keeps serving.
class CommandReader {
 public:
  // Far beyond any command, the longest text to send included.
  static constexpr std::size_t maxLine = 64 * 1024;

  CommandReader(std::shared_ptr<SerialQueue> mainQueue, std::function<void(std::string)> onLine);
  void start();

 private:
  std::shared_ptr<SerialQueue> main_;
  std::function<void(std::string)> onLine_;
};

}  // namespace orvane::cli
