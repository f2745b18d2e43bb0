#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// The link inside a hand-off URL from Flingshare or the desktop's URL handler:
// "orvane://send-url?u=" and the percent-encoded link, nothing else. None for another
// scheme or host, a missing or repeated "u", broken escapes, or a link the link gate
// refuses; the link comes back in its canonical form.
std::optional<std::string> linkFromHandoff(std::string_view url);

}  // namespace orvane
