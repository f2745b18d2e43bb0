#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "wire/body_gate.hpp"

// Cleaning of notification fields from the phone. Gates never shorten: a value either
// passes cleaned or becomes none.
namespace orvane::NotifGate {

inline constexpr std::size_t maxIDLength = BodyGate::maxIDLength;
inline constexpr std::size_t maxTitleLength = 256;
inline constexpr std::size_t maxTextLength = 1024;

// Trimmed; none when empty or longer than 64 characters.
inline std::optional<std::string> cleanID(const std::optional<std::string>& s) { return BodyGate::cleanID(s); }
// The same function under the name used for application names.
inline std::optional<std::string> cleanApp(const std::optional<std::string>& s) { return cleanID(s); }
// Collapsed; none when empty or longer than `max` characters after collapsing.
inline std::optional<std::string> cleanField(const std::optional<std::string>& s, std::size_t max) {
  return BodyGate::cleanField(s, max);
}
// Trimmed strict decimal with 0 <= value < 10^13.
std::optional<std::int64_t> cleanTime(const std::optional<std::string>& s);

}  // namespace orvane::NotifGate
