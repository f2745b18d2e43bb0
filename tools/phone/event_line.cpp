#include "event_line.hpp"

#include <cstdio>

namespace orvane::phone {

void printEvent(const Event& event) {
  // Text from the wire that is not valid UTF-8 is shown as U+FFFD instead of failing.
  const std::string line = event.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

void printNote(const std::string& text) {
  std::fprintf(stderr, "orvane-phone: %s\n", text.c_str());
  std::fflush(stderr);
}

}  // namespace orvane::phone
