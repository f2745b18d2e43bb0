#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "wire/body_gate.hpp"

// Web links, link contexts and application names. Shared with the share helper.
namespace orvane::UrlGate {

inline constexpr std::size_t maxUrlLength = 2048;
inline constexpr std::size_t maxContextLength = 512;

// An http(s) link as typed or received, made canonical: "https://" added to a bare
// host, "https:" to a "//" link; none when it is not a usable web link.
std::optional<std::string> normalizeUrl(const std::optional<std::string>& s);
// For text without a scheme: whether its host part looks like localhost, an IPv4
// address or a dotted name with an alphabetic top-level label.
bool looksLikeHost(std::string_view s);
// The first web link in shared text: the first "http://" or "https://" run up to white
// space, with . , ; ! ? " ' trimmed from both ends and kept only when it is a usable link;
// text with no such run counts when it is a link as a whole (a bare host).
std::optional<std::string> extractFirstUrl(const std::optional<std::string>& s);
// Collapsed; none when empty or longer than 512 characters.
std::optional<std::string> cleanContext(const std::optional<std::string>& s);
inline std::optional<std::string> cleanApp(const std::optional<std::string>& s) { return BodyGate::cleanID(s); }

}  // namespace orvane::UrlGate
