#pragma once

#include <cstddef>
#include <optional>
#include <string>

// The two cleanings that every feature applies to text the phone sends: identifiers
// (ids and application names) and shown fields. Each feature's gate publishes them
// under its own names; there is one implementation. Gates never shorten: a value
// either passes cleaned or becomes none.
namespace orvane::BodyGate {

inline constexpr std::size_t maxIDLength = 64;

// Trimmed; none when empty or longer than 64 characters.
std::optional<std::string> cleanID(const std::optional<std::string>& s);
// Collapsed; none when empty or longer than `max` characters after collapsing.
std::optional<std::string> cleanField(const std::optional<std::string>& s, std::size_t max);

}  // namespace orvane::BodyGate
