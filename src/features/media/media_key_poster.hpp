#pragma once

#include <optional>
#include <string_view>

#include "features/media/media_gate.hpp"

namespace orvane {

// How the computer carries out a playback command: the outside now-playing adapter
// first, then a system media key. Implemented by the platform: on Linux the "key" is
// the MPRIS method of the command, called on the active player over the session bus.
class MediaKeyOutput {
 public:
  virtual ~MediaKeyOutput() = default;
  // Whether the process may post media keys (reach players at all).
  virtual bool isTrusted() = 0;
  // Runs the adapter's `send` with the command number; true when it succeeded.
  virtual bool sendToAdapter(int commandNumber) = 0;
  // Presses and releases the media key of `command` (`keyCode` 16 play/pause, 17 next,
  // 18 previous); a platform that reaches its player by other means uses the command
  // itself, which tells play and pause apart. False when no player could be reached.
  virtual bool postMediaKey(MediaGate::Command command, int keyCode) = 0;
};

// Where no player can be reached at all: no adapter, and no permission to post keys,
// so a command ends as `permissionUnavailable` unless it needs nothing.
class NoMediaKeyOutput final : public MediaKeyOutput {
 public:
  bool isTrusted() override { return false; }
  bool sendToAdapter(int) override { return false; }
  bool postMediaKey(MediaGate::Command, int) override { return false; }
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
