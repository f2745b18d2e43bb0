#include "cli/command_reader.hpp"

#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

namespace orvane::cli {

CommandReader::CommandReader(std::shared_ptr<SerialQueue> mainQueue, std::function<void(std::string)> onLine)
    : main_(std::move(mainQueue)), onLine_(std::move(onLine)) {}

void readLines(std::istream& in, std::size_t maxLine, const std::function<void(std::string)>& onLine,
               const std::function<void()>& onTooLong) {
  std::string line;
  bool tooLong = false;
  std::streambuf* source = in.rdbuf();
  for (;;) {
    const int c = source->sbumpc();
    if (c == std::char_traits<char>::eof() || c == '\n') {
      if (tooLong) {
        onTooLong();
      } else if (c == '\n' || !line.empty()) {
        onLine(std::move(line));
      }
      line.clear();
      tooLong = false;
      if (c == std::char_traits<char>::eof()) return;
      continue;
    }
    if (tooLong) continue;
    if (line.size() == maxLine) {
      tooLong = true;
      line.clear();
      line.shrink_to_fit();
      continue;
    }
    line.push_back(static_cast<char>(c));
  }
}

void CommandReader::start() {
  // Detached: a blocking read cannot be interrupted portably, and the process ends
  // without waiting for it.
  std::thread([main = main_, onLine = onLine_] {
    readLines(
        std::cin, maxLine, [&](std::string line) { main->post([onLine, line = std::move(line)] { onLine(line); }); },
        [] { std::fprintf(stderr, "orvane: a command line longer than 64 KiB was ignored\n"); });
  }).detach();
}

}  // namespace orvane::cli
