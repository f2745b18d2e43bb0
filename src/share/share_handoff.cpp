#include "share/share_handoff.hpp"

#include "features/notifications/url_gate.hpp"

namespace orvane::ShareHandoff {

namespace {

bool queryAllows(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!$&'()*+,-./:;=?@_~").find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

std::string escapeForQuery(std::string_view text) {
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (queryAllows(c)) {
      out.push_back(ch);
    } else {
      out.push_back('%');
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 0x0F]);
    }
  }
  return out;
}

std::optional<std::string> url(const std::string& text) {
  const auto link = UrlGate::normalizeUrl(text);
  if (!link) return std::nullopt;
  return std::string(prefix) + escapeForQuery(*link);
}

}  // namespace orvane::ShareHandoff
