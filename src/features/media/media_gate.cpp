#include "features/media/media_gate.hpp"

#include <array>
#include <utility>

#include "base/text.hpp"

namespace orvane::MediaGate {

namespace {
constexpr std::array<std::pair<std::string_view, Command>, 5> commands{{
    {"play", Command::play},
    {"pause", Command::pause},
    {"toggle", Command::toggle},
    {"next", Command::next},
    {"prev", Command::prev},
}};
}  // namespace

std::string_view wireName(Command c) {
  for (const auto& [name, command] : commands)
    if (command == c) return name;
  return {};
}

std::optional<std::string> cleanField(const std::optional<std::string>& s) {
  return BodyGate::cleanField(s, maxFieldLength);
}

std::optional<State> cleanState(const std::optional<std::string>& s) {
  if (!s) return std::nullopt;
  const std::string word = text::trim(*s);
  if (word == "playing") return State::playing;
  if (word == "paused") return State::paused;
  return std::nullopt;
}

std::optional<Command> cleanCmd(const std::optional<std::string>& s) {
  if (!s) return std::nullopt;
  const std::string word = text::trim(*s);
  for (const auto& [name, command] : commands)
    if (word == name) return command;
  return std::nullopt;
}

}  // namespace orvane::MediaGate
