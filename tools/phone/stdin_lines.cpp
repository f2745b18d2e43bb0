#include "stdin_lines.hpp"

#include <asio/post.hpp>
#include <iostream>
#include <thread>

namespace orvane::phone {

void startStdinLines(std::shared_ptr<asio::io_context> io, std::function<void(std::string)> onLine) {
  std::thread([io = std::move(io), onLine = std::move(onLine)] {
    std::string line;
    while (std::getline(std::cin, line)) {
      asio::post(*io, [onLine, line] { onLine(line); });
    }
  }).detach();
}

}  // namespace orvane::phone
