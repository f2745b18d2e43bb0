#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/serial_queue.hpp"

namespace orvane::cli {

// Reads commands from standard input, one per line, on a thread of its own, and hands
// each to `onLine` on the main queue. At the end of input it stops reading; the
// program keeps serving.
class CommandReader {
 public:
  CommandReader(std::shared_ptr<SerialQueue> mainQueue, std::function<void(std::string)> onLine);
  void start();

 private:
  std::shared_ptr<SerialQueue> main_;
  std::function<void(std::string)> onLine_;
};

}  // namespace orvane::cli
