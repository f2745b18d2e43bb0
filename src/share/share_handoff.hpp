#pragma once

#include <optional>
#include <string>
#include <string_view>

// The URL that hands a shared link to Orvane: "orvane://send-url?u=" and the link,
// escaped as a URL query allows ("/", ":", "?", "=" and "&" stay as they are).
namespace orvane::ShareHandoff {

inline constexpr std::string_view prefix = "orvane://send-url?u=";

// None when `text` is not a usable web link.
std::optional<std::string> url(const std::string& text);

// `text` with every byte a URL query may not hold written as %XX (upper-case hex):
// everything but ASCII letters, digits and !$&'()*+,-./:;=?@_~ .
std::string escapeForQuery(std::string_view text);

}  // namespace orvane::ShareHandoff
