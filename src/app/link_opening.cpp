#include "app/link_opening.hpp"

#include "base/text.hpp"

namespace orvane::LinkOpening {

namespace {

bool isSchemeCharacter(char c, bool first) {
  const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  if (first) return letter;
  return letter || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// The scheme, or none when `url` does not begin with one followed by ':'.
std::optional<std::string_view> schemeOf(std::string_view url) {
  const auto colon = url.find(':');
  if (colon == std::string_view::npos || colon == 0) return std::nullopt;
  for (std::size_t i = 0; i < colon; ++i)
    if (!isSchemeCharacter(url[i], i == 0)) return std::nullopt;
  return url.substr(0, colon);
}

// The host of "scheme://[userinfo@]host[:port][/…]"; empty when there is none.
std::string_view hostOf(std::string_view url) {
  const auto start = url.find("://");
  if (start == std::string_view::npos) return {};
  std::string_view rest = url.substr(start + 3);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  if (const auto at = rest.rfind('@'); at != std::string_view::npos) rest = rest.substr(at + 1);
  if (!rest.empty() && rest.front() == '[') return rest.substr(0, rest.find(']') + 1);  // an IPv6 literal
  return rest.substr(0, rest.find(':'));
}

}  // namespace

bool parses(std::string_view url) {
  const auto scheme = schemeOf(url);
  if (!scheme) return false;
  const std::string lower = text::asciiLower(*scheme);
  if (lower == "http" || lower == "https") return !hostOf(url).empty();
  return url.size() > scheme->size() + 1;
}

std::optional<std::string> autoOpenable(std::string_view url) {
  std::string trimmed = text::trim(url);
  if (trimmed.empty() || text::longerThan(trimmed, maxAutoOpenCharacters) || text::containsWhiteSpace(trimmed)) {
    return std::nullopt;
  }
  const std::string lower = text::asciiLower(trimmed.substr(0, 8));
  if (!lower.starts_with("http://") && !lower.starts_with("https://")) return std::nullopt;
  if (!parses(trimmed)) return std::nullopt;
  return trimmed;
}

std::string bannerTitle(std::string_view url, const std::optional<std::string>& app) {
  if (app && !app->empty()) return *app;
  if (const auto host = hostOf(url); !host.empty()) return std::string(host);
  return "Shared link";
}

}  // namespace orvane::LinkOpening
