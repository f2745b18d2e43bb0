#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Text helpers on UTF-8 std::string. Every length limit of the protocol counts
// user-perceived characters (extended grapheme clusters), never bytes.
// Any byte that is not part of well-formed UTF-8 reads as U+FFFD, and every text
// returned here is valid UTF-8 (such bytes come back as U+FFFD), except that
// asciiLower leaves every byte other than A-Z as it was.
namespace orvane::text {

// One Unicode scalar decoded from UTF-8.
struct Scalar {
  char32_t value;
  std::size_t length;  // bytes consumed
  bool wellFormed;
};

// Decodes the scalar starting at s[i] (i < s.size()). A byte that does not begin a
// well-formed sequence (stray continuation, overlong form, surrogate, beyond U+10FFFF,
// cut short) reads as U+FFFD on its own, so the next byte gets its own chance.
Scalar decodeAt(std::string_view s, std::size_t i);

// Number of extended grapheme clusters. Invalid UTF-8 sequences count one cluster
// per replacement character, so a length is always defined.
std::size_t graphemeCount(std::string_view s);

// True when `s` has more than `limit` grapheme clusters; stops counting early.
bool longerThan(std::string_view s, std::size_t limit);

// The first `n` grapheme clusters of `s`.
std::string prefixGraphemes(std::string_view s, std::size_t n);

// The white-space-and-newline set: Unicode Zs, Zl, Zp, U+0009..U+000D and U+0085.
bool isWhiteSpace(char32_t c);
bool containsWhiteSpace(std::string_view s);

// Removes white space at both ends.
std::string trim(std::string_view s);

// Splits at every white-space character, drops empty pieces, joins with one U+0020.
std::string collapse(std::string_view s);

// Unicode canonical equivalence (equal after NFC normalisation).
bool canonicallyEqual(std::string_view a, std::string_view b);

// True when `a` orders strictly before `b` by the Unicode scalars of their NFC forms.
bool canonicallyLess(std::string_view a, std::string_view b);

// NFC form of `s`.
std::string nfc(std::string_view s);

// ASCII-only lower-casing (scheme and host comparisons).
std::string asciiLower(std::string_view s);

// Lower-casing with the full Unicode case mapping of the root locale (a letter may
// become several, a final sigma becomes "ς"). The same for every user, so that a key
// made from it does not change when the user's language does.
std::string lower(std::string_view s);

// Strict signed 64-bit decimal: optional "+" or "-", then one or more ASCII digits,
// nothing else, no white space; none on overflow.
std::optional<std::int64_t> parseInt64(std::string_view s);

}  // namespace orvane::text
