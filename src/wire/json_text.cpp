#include "wire/json_text.hpp"

#include <simdjson.h>

#include <charconv>
#include <cstdint>
#include <vector>

namespace orvane::JsonText {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The characters a number token is made of; a run of them is taken whole, so the
// digits after a decimal point or an exponent are never mistaken for an integer.
bool isNumberChar(char c) { return isDigit(c) || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E'; }

// True for a valid JSON integer (no fraction, no exponent, no leading zero) outside
// the 64-bit range: below the smallest signed or above the largest unsigned value.
bool isLongInteger(std::string_view token) {
  const bool negative = token.starts_with('-');
  const std::string_view digits = negative ? token.substr(1) : token;
  if (digits.empty()) return false;
  for (char c : digits) {
    if (!isDigit(c)) return false;
  }
  if (digits.size() > 1 && digits[0] == '0') return false;
  const char* end = token.data() + token.size();
  if (negative) {
    std::int64_t value = 0;
    return std::from_chars(token.data(), end, value).ec == std::errc::result_out_of_range;
  }
  std::uint64_t value = 0;
  return std::from_chars(token.data(), end, value).ec == std::errc::result_out_of_range;
}

// Index just past the string that opens at `at` (a quote), or the end when it is not closed.
std::size_t skipString(std::string_view json, std::size_t at) {
  for (std::size_t i = at + 1; i < json.size(); ++i) {
    if (json[i] == '\\') {
      ++i;  // the escaped character, which may be a quote
    } else if (json[i] == '"') {
      return i + 1;
    }
  }
  return json.size();
}

}  // namespace

std::string_view document(std::string_view payload) {
  if (payload.starts_with(kByteOrderMark)) payload.remove_prefix(kByteOrderMark.size());
  if (const std::size_t nul = payload.find('\0'); nul != std::string_view::npos) payload = payload.substr(0, nul);
  return payload;
}

std::optional<std::string> longIntegersAsFractions(std::string_view json) {
  std::vector<std::size_t> ends;  // where a ".0" goes
  for (std::size_t i = 0; i < json.size();) {
    if (json[i] == '"') {
      i = skipString(json, i);
    } else if (isDigit(json[i]) || json[i] == '-') {
      const std::size_t start = i;
      while (i < json.size() && isNumberChar(json[i])) ++i;
      if (isLongInteger(json.substr(start, i - start))) ends.push_back(i);
    } else {
      ++i;
    }
  }
  if (ends.empty()) return std::nullopt;
  std::string out;
  out.reserve(json.size() + 2 * ends.size());
  std::size_t copied = 0;
  for (std::size_t end : ends) {
    out.append(json.substr(copied, end - copied));
    out.append(".0");
    copied = end;
  }
  out.append(json.substr(copied));
  return out;
}

void appendQuoted(std::string& out, std::string_view s) {
  out.push_back('"');
  for (const char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          static constexpr char hex[] = "0123456789abcdef";
          out += "\\u00";
          out.push_back(hex[(c >> 4) & 0xF]);
          out.push_back(hex[c & 0xF]);
        } else {
          out.push_back(c);
        }
    }
  }
  out.push_back('"');
}

bool isValidUtf8(std::string_view s) { return simdjson::validate_utf8(s.data(), s.size()); }

}  // namespace orvane::JsonText
