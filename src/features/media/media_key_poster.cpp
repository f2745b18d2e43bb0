#include "features/media/media_key_poster.hpp"

#include <array>
#include <string>

namespace orvane::MediaKeyPoster {

namespace {
struct CommandRow {
  std::string_view word;
  MediaGate::Command command;
  int adapterNumber;
  int keyCode;
};
constexpr std::array<CommandRow, 5> commands{{
    {"play", MediaGate::Command::play, 0, 16},
    {"pause", MediaGate::Command::pause, 1, 16},
    {"toggle", MediaGate::Command::toggle, 2, 16},
    {"next", MediaGate::Command::next, 4, 17},
    {"prev", MediaGate::Command::prev, 5, 18},
}};

const CommandRow* find(std::string_view cmd) {
  for (const auto& row : commands)
    if (row.word == cmd) return &row;
  return nullptr;
}
}  // namespace

std::string_view caseName(Dispatch d) {
  switch (d) {
    case Dispatch::permissionUnavailable: return "permissionUnavailable";
    case Dispatch::unsupportedCommand: return "unsupportedCommand";
    case Dispatch::noChangeNeeded: return "noChangeNeeded";
    case Dispatch::posted: return "posted";
  }
  return "posted";
}

bool isSupportedCommand(std::string_view cmd) { return find(cmd) != nullptr; }

std::optional<Dispatch> decideNoOp(std::string_view command, std::optional<bool> currentlyPlaying) {
  if (!currentlyPlaying) return std::nullopt;
  if (command == "play" && *currentlyPlaying) return Dispatch::noChangeNeeded;
  if (command == "pause" && !*currentlyPlaying) return Dispatch::noChangeNeeded;
  return std::nullopt;
}

Dispatch post(std::string_view cmd, std::optional<bool> currentlyPlaying, MediaKeyOutput& output) {
  const bool trusted = output.isTrusted();
  const CommandRow* row = find(cmd);
  if (!row) return Dispatch::unsupportedCommand;
  if (auto noOp = decideNoOp(cmd, currentlyPlaying)) return *noOp;
  if (output.sendToAdapter(row->adapterNumber)) return Dispatch::posted;
  if (!trusted) return Dispatch::permissionUnavailable;
  // A key nobody could take is not a command carried out: the phone's user is told,
  // as when the permission is missing.
  if (!output.postMediaKey(row->command, row->keyCode)) return Dispatch::permissionUnavailable;
  return Dispatch::posted;
}

}  // namespace orvane::MediaKeyPoster
