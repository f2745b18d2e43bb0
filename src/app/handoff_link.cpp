#include "app/handoff_link.hpp"

#include "base/text.hpp"
#include "features/notifications/url_gate.hpp"

namespace orvane {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// %XX escapes decoded; none for a broken escape. "+" stays a plus: the hand-off
// escapes as a URL query, not as a form.
std::optional<std::string> percentDecode(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out.push_back(s[i]);
      continue;
    }
    if (i + 2 >= s.size()) return std::nullopt;
    const int high = hexValue(s[i + 1]), low = hexValue(s[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return out;
}

}  // namespace

std::optional<std::string> linkFromHandoff(std::string_view url) {
  const std::string_view head = "orvane://send-url?";
  if (url.size() < head.size() || text::asciiLower(url.substr(0, head.size())) != head) return std::nullopt;
  // The query is "u=<link>": the link's own "&" and "=" stay unescaped in it, so
  // everything after "u=" is the link.
  const std::string_view query = url.substr(head.size());
  if (query.substr(0, 2) != "u=") return std::nullopt;
  const auto decoded = percentDecode(query.substr(2));
  if (!decoded) return std::nullopt;
  return UrlGate::normalizeUrl(*decoded);
}

}  // namespace orvane
