#include "features/notifications/url_gate.hpp"

#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <vector>

#include "base/text.hpp"

namespace orvane::UrlGate {

namespace {

constexpr std::size_t maxLabelLength = 63;

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool hasWebScheme(std::string_view lower) { return startsWith(lower, "http://") || startsWith(lower, "https://"); }

// A link we are willing to open or hand on: http(s), at most 2048 characters, and no
// white space anywhere (a sentence that merely contains a link is not a link).
bool isValidLink(std::string_view s) {
  if (s.empty() || text::longerThan(s, maxUrlLength) || text::containsWhiteSpace(s)) return false;
  return hasWebScheme(text::asciiLower(s));
}

std::vector<std::string_view> splitDots(std::string_view s) {
  std::vector<std::string_view> parts;
  std::size_t from = 0;
  while (true) {
    const std::size_t dot = s.find('.', from);
    parts.push_back(s.substr(from, dot == std::string_view::npos ? std::string_view::npos : dot - from));
    if (dot == std::string_view::npos) return parts;
    from = dot + 1;
  }
}

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool isAsciiAlnum(char c) { return isAsciiLetter(c) || isAsciiDigit(c); }

// One DNS label: 1 to 63 ASCII letters, digits or hyphens, with a letter or digit at
// both ends (the pattern ^[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?$).
bool isHostLabel(std::string_view label) {
  if (label.empty() || label.size() > maxLabelLength) return false;
  if (!isAsciiAlnum(label.front()) || !isAsciiAlnum(label.back())) return false;
  for (char c : label)
    if (!isAsciiAlnum(c) && c != '-') return false;
  return true;
}

// Every code point is a number in the Unicode sense (general category Nd, Nl or No).
// The port's value is not checked: the browser is the one that uses it.
bool isNumericText(std::string_view s) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(s.data());
  const auto length = static_cast<std::int32_t>(s.size());
  std::int32_t i = 0;
  while (i < length) {
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) return false;
    const auto category = u_charType(c);
    if (category != U_DECIMAL_DIGIT_NUMBER && category != U_LETTER_NUMBER && category != U_OTHER_NUMBER)
      return false;
  }
  return true;
}

bool isLocalhost(std::string_view name) {
  const icu::UnicodeString unicode =
      icu::UnicodeString::fromUTF8(icu::StringPiece(name.data(), static_cast<std::int32_t>(name.size())));
  return unicode.caseCompare(icu::UnicodeString(u"localhost"), U_FOLD_CASE_DEFAULT) == 0;
}

// Four dot-separated integers of 0..255. A sign and leading zeros are tolerated, as
// people type them; empty parts are not.
bool isIPv4(std::string_view name) {
  const auto parts = splitDots(name);
  if (parts.size() != 4) return false;
  for (const auto part : parts) {
    const auto value = text::parseInt64(part);
    if (!value || *value < 0 || *value > 255) return false;
  }
  return true;
}

bool isDottedName(std::string_view name) {
  const auto labels = splitDots(name);
  if (labels.size() < 2) return false;
  for (const auto label : labels)
    if (!isHostLabel(label)) return false;
  const std::string_view last = labels.back();
  if (last.size() < 2) return false;
  for (char c : last)
    if (!isAsciiLetter(c)) return false;
  return true;
}

}  // namespace

bool looksLikeHost(std::string_view s) {
  const std::string_view host = s.substr(0, s.find_first_of("/?#"));
  if (host.empty() || host.find('@') != std::string_view::npos) return false;

  const std::size_t colon = host.find(':');
  const std::string_view name = host.substr(0, colon);
  if (name.empty()) return false;
  if (colon != std::string_view::npos) {
    const std::string_view port = host.substr(colon + 1);
    if (port.empty() || !isNumericText(port)) return false;
  }

  return isLocalhost(name) || isIPv4(name) || isDottedName(name);
}

std::optional<std::string> normalizeUrl(const std::optional<std::string>& s) {
  if (!s) return std::nullopt;
  const std::string trimmed = text::trim(*s);
  const std::string lower = text::asciiLower(trimmed);

  // Already a web link: kept exactly as written, capitals in the scheme included.
  if (hasWebScheme(lower)) {
    if (isValidLink(trimmed)) return trimmed;
    return std::nullopt;
  }
  // Any other scheme (ftp://, file://, ...) is refused, never rewritten into a web link.
  if (lower.find("://") != std::string::npos) return std::nullopt;

  std::string candidate;
  if (startsWith(trimmed, "//"))
    candidate = "https:" + trimmed;
  else if (looksLikeHost(trimmed))
    candidate = "https://" + trimmed;
  else
    return std::nullopt;

  candidate = text::trim(candidate);
  if (!isValidLink(candidate)) return std::nullopt;
  return candidate;
}

std::optional<std::string> extractFirstUrl(const std::optional<std::string>& s) {
  if (!s) return std::nullopt;
  const std::string& text = *s;
  // The first "https?://" (case as written) followed by at least one character that is
  // not white space.
  std::size_t start = std::string::npos;
  for (std::size_t at = text.find("http"); at != std::string::npos; at = text.find("http", at + 1)) {
    std::size_t rest = at + 4;
    if (rest < text.size() && text[rest] == 's') ++rest;
    if (text.compare(rest, 3, "://") != 0) continue;
    rest += 3;
    if (rest < text.size() && !text::isWhiteSpace(text::decodeAt(text, rest).value)) {
      start = at;
      break;
    }
  }
  if (start == std::string::npos) return normalizeUrl(text);
  std::size_t end = start;
  while (end < text.size()) {
    const text::Scalar scalar = text::decodeAt(text, end);
    if (text::isWhiteSpace(scalar.value)) break;
    end += scalar.length;
  }
  std::string_view match(text.data() + start, end - start);
  constexpr std::string_view punctuation = ".,;!?\"'";
  const std::size_t first = match.find_first_not_of(punctuation);
  if (first == std::string_view::npos) return std::nullopt;
  match = match.substr(first, match.find_last_not_of(punctuation) - first + 1);
  std::string link = text::trim(match);
  if (!isValidLink(link)) return std::nullopt;
  return link;
}

std::optional<std::string> cleanContext(const std::optional<std::string>& s) {
  if (!s) return std::nullopt;
  std::string collapsed = text::collapse(*s);
  if (collapsed.empty() || text::longerThan(collapsed, maxContextLength)) return std::nullopt;
  return collapsed;
}

}  // namespace orvane::UrlGate
