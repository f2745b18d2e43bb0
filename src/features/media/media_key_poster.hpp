#pragma once

#include <optional>
#include <string_view>

namespace orvane {

// How the computer carries out a playback command: the outside now-playing adapter
// first, then a system media key. Implemented by the platform (MPRIS on Linux).
class MediaKeyOutput {
 public:
  virtual ~MediaKeyOutput() = default;
  // Whether the process may post media keys.
  virtual bool isTrusted() = 0;
  // Runs the adapter's `send` with the command number; true when it succeeded.
  virtual bool sendToAdapter(int commandNumber) = 0;
  // Presses and releases the media key (16 play/pause, 17 next, 18 previous).
  virtual void postMediaKey(int keyCode) = 0;
};

// Where no player can be reached at all: no adapter, and no permission to post keys,
// so a command ends as `permissionUnavailable` unless it needs nothing.
class NoMediaKeyOutput final : public MediaKeyOutput {
 public:
  bool isTrusted() override { return false; }
  bool sendToAdapter(int) override { return false; }
  void postMediaKey(int) override {}
};

namespace MediaKeyPoster {

enum class Dispatch { permissionUnavailable, unsupportedCommand, noChangeNeeded, posted };

std::string_view caseName(Dispatch d);
bool isSupportedCommand(std::string_view cmd);
// A result when the command needs no action; none means it goes ahead.
std::optional<Dispatch> decideNoOp(std::string_view command, std::optional<bool> currentlyPlaying);
Dispatch post(std::string_view cmd, std::optional<bool> currentlyPlaying, MediaKeyOutput& output);

}  // namespace MediaKeyPoster

}  // namespace orvane
