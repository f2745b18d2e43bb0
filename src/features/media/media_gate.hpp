#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "wire/body_gate.hpp"

namespace orvane::MediaGate {

inline constexpr std::size_t maxFieldLength = 256;

enum class State { playing, paused };
enum class Command { play, pause, toggle, next, prev };

std::string_view wireName(Command c);

inline std::optional<std::string> cleanApp(const std::optional<std::string>& s) { return BodyGate::cleanID(s); }
// As NotifGate::cleanField with max 256.
std::optional<std::string> cleanField(const std::optional<std::string>& s);
// Trimmed; exactly "playing" or "paused" (case-sensitive).
std::optional<State> cleanState(const std::optional<std::string>& s);
// Trimmed; exactly one of "play", "pause", "toggle", "next", "prev".
std::optional<Command> cleanCmd(const std::optional<std::string>& s);

}  // namespace orvane::MediaGate
