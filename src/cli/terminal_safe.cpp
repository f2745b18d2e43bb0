#include "cli/terminal_safe.hpp"

#include <cstdint>
#include <cstdio>
#include <optional>

namespace orvane::cli {

namespace {

struct Decoded {
  char32_t codePoint;
  std::size_t length;
};

// One well-formed UTF-8 sequence at the start of `s`; none for anything else.
std::optional<Decoded> decodeOne(std::string_view s) {
  const auto b = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
  const std::uint8_t lead = b(0);
  if (lead < 0x80) return Decoded{lead, 1};
  std::size_t length = 0;
  char32_t cp = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, cp = lead & 0x07;
  } else {
    return std::nullopt;
  }
  if (s.size() < length) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    if ((b(i) & 0xC0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (b(i) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
  const char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < minimum[length] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return std::nullopt;
  return Decoded{cp, length};
}

bool needsEscape(char32_t cp) {
  return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) ||  // C0, DEL, C1
         (cp >= 0x202A && cp <= 0x202E) ||            // embeddings and overrides
         (cp >= 0x2066 && cp <= 0x2069);              // isolates
}

}  // namespace

std::string terminalSafe(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  char escape[12];
  while (!text.empty()) {
    const auto decoded = decodeOne(text);
    if (!decoded) {
      std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<std::uint8_t>(text[0]));
      out += escape;
      text.remove_prefix(1);
      continue;
    }
    if (!needsEscape(decoded->codePoint)) {
      out.append(text.substr(0, decoded->length));
    } else if (decoded->codePoint < 0x80) {
      std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned>(decoded->codePoint));
      out += escape;
    } else {
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(decoded->codePoint));
      out += escape;
    }
    text.remove_prefix(decoded->length);
  }
  return out;
}

}  // namespace orvane::cli
