#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane::LinkOpening {

inline constexpr std::size_t maxAutoOpenCharacters = 2048;

// Whether `url` has a scheme and, for web links, a host: what the desktop can open.
bool parses(std::string_view url);

// The link as it may be opened without asking: trimmed, non-empty, at most 2048
// characters, no white space inside, http or https (any letter case), and parsing.
// None when any of that fails.
std::optional<std::string> autoOpenable(std::string_view url);

// The title of a link's banner: the app that shared it, else the link's host, else
// "Shared link".
std::string bannerTitle(std::string_view url, const std::optional<std::string>& app);

}  // namespace orvane::LinkOpening
