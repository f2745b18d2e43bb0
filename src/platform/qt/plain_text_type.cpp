#include "platform/qt/plain_text_type.hpp"

#include <algorithm>
#include <array>
#include <vector>

#include "base/text.hpp"

namespace orvane {

namespace {

// MIME types compare without regard to case or the blanks around ";"; X11 target names
// are exact.
bool sameType(std::string_view offered, std::string_view wanted) {
  if (!wanted.starts_with("text/")) return offered == wanted;
  std::string plain = text::asciiLower(offered);
  std::erase_if(plain, [](char c) { return c == ' ' || c == '\t'; });
  return plain == wanted;
}

}  // namespace

std::optional<std::string> plainTextType(std::string_view listing) {
  std::vector<std::string_view> offered;
  while (!listing.empty()) {
    const std::size_t end = listing.find('\n');
    std::string_view line = listing.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) offered.push_back(line);
    listing = end == std::string_view::npos ? std::string_view() : listing.substr(end + 1);
  }
  constexpr std::array<std::string_view, 3> preferred = {"text/plain;charset=utf-8", "UTF8_STRING", "text/plain"};
  for (std::string_view wanted : preferred) {
    const auto found = std::find_if(offered.begin(), offered.end(), [wanted](std::string_view t) { return sameType(t, wanted); });
    if (found != offered.end()) return std::string(*found);
  }
  return std::nullopt;
}

}  // namespace orvane
