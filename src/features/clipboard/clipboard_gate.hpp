#pragma once

#include <optional>
#include <string>

namespace orvane::ClipboardGate {

inline constexpr std::size_t maxCharacters = 4096;
inline constexpr std::size_t maxUTF8Bytes = 60000;

// Unchanged when non-empty, at most 4096 characters and at most 60000 UTF-8 bytes.
std::optional<std::string> sendableText(const std::optional<std::string>& s);

}  // namespace orvane::ClipboardGate
