#include "share/shared_items.hpp"

#include <algorithm>

#include "features/notifications/url_gate.hpp"

namespace orvane::SharedItems {

namespace {

// "scheme:" at the start: a letter, then letters, digits, "+", "-" or ".".
bool startsWithScheme(const std::string& s) {
  const std::size_t colon = s.find(':');
  if (colon == std::string::npos || colon == 0) return false;
  const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!isLetter(s[0])) return false;
  return std::all_of(s.begin() + 1, s.begin() + static_cast<std::ptrdiff_t>(colon), [&](char c) {
    return isLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
  });
}

}  // namespace

std::vector<SharedItem> fromArguments(const std::vector<std::string>& arguments) {
  std::vector<SharedItem> items;
  for (const std::string& argument : arguments) {
    items.push_back({startsWithScheme(argument) ? SharedItem::Kind::url : SharedItem::Kind::text, argument});
  }
  return items;
}

std::optional<std::string> linkToShare(const std::vector<SharedItem>& items) {
  for (const SharedItem& item : items) {
    if (item.kind == SharedItem::Kind::url) return item.value;
  }
  for (const SharedItem& item : items) {
    if (item.kind != SharedItem::Kind::text) continue;
    if (auto link = UrlGate::normalizeUrl(item.value)) return link;
    return UrlGate::extractFirstUrl(item.value);
  }
  return std::nullopt;
}

}  // namespace orvane::SharedItems
