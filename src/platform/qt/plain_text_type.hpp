#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// Picks the type to read the clipboard's plain text in from what `wl-paste
// --list-types` printed (one MIME type or X11 target a line): UTF-8 text first, then
// text/plain without a charset, which on today's desktops is UTF-8 as well. None when no
// such type is offered (an image, files, or only Latin-1 STRING). wl-paste's own generic
// "text" is not used because it may take the first text type offered, and browsers offer
// text/html first.
std::optional<std::string> plainTextType(std::string_view listing);

}  // namespace orvane
