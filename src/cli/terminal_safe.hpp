#pragma once

#include <string>
#include <string_view>

namespace orvane::cli {

// Text that a phone controls, made harmless for a terminal: every control character
// (C0, DEL, C1) and every bidirectional embedding, override or isolate is shown as a
// visible escape ("\x1b", "\u202e"), and bytes that are not UTF-8 as "\xNN". A phone
// could otherwise retitle the window, clear the screen or print a fake state line.
std::string terminalSafe(std::string_view text);

}  // namespace orvane::cli
