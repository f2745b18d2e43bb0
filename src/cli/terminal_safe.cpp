#include "cli/terminal_safe.hpp"

#include <cstdint>
#include <cstdio>

#include "base/text.hpp"

namespace orvane::cli {

namespace {

bool needsEscape(char32_t cp) {
  return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) ||  // C0, DEL, C1
         (cp >= 0x202A && cp <= 0x202E) ||            // embeddings and overrides
         (cp >= 0x2066 && cp <= 0x2069);              // isolates
}

}  // namespace

std::string terminalSafe(std::string_view input) {
  std::string out;
  out.reserve(input.size());
  char escape[12];
  for (std::size_t i = 0; i < input.size();) {
    const text::Scalar c = text::decodeAt(input, i);
    if (!c.wellFormed) {
      std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<std::uint8_t>(input[i]));
      out += escape;
    } else if (!needsEscape(c.value)) {
      out.append(input.substr(i, c.length));
    } else {
      std::snprintf(escape, sizeof escape, c.value < 0x80 ? "\\x%02x" : "\\u%04x", static_cast<unsigned>(c.value));
      out += escape;
    }
    i += c.length;
  }
  return out;
}

}  // namespace orvane::cli
