#include "cli/command_reader.hpp"

#include <iostream>
#include <thread>

namespace orvane::cli {

CommandReader::CommandReader(std::shared_ptr<SerialQueue> mainQueue, std::function<void(std::string)> onLine)
    : main_(std::move(mainQueue)), onLine_(std::move(onLine)) {}

void CommandReader::start() {
  // Detached: a blocking read cannot be interrupted portably, and the process ends
  // without waiting for it.
  std::thread([main = main_, onLine = onLine_] {
    std::string line;
    while (std::getline(std::cin, line)) {
      main->post([onLine, line] { onLine(line); });
    }
  }).detach();
}

}  // namespace orvane::cli
