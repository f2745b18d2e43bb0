#include "base/text.hpp"

#include <unicode/brkiter.h>
#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>

#include <algorithm>
#include <limits>
#include <memory>

namespace orvane::text {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

bool isAscii(char c) { return static_cast<unsigned char>(c) < 0x80; }

bool allAscii(std::string_view s) {
  for (char c : s) {
    if (!isAscii(c)) return false;
  }
  return true;
}

}  // namespace

Scalar decodeAt(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return {lead, 1, true};

  std::size_t length = 0;
  unsigned char low = 0x80;  // allowed range of the second byte
  unsigned char high = 0xBF;
  char32_t value = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return {kReplacement, 1, false};
  }
  if (i + length > s.size()) return {kReplacement, 1, false};
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char b = byte(i + k);
    const unsigned char lo = k == 1 ? low : 0x80;
    const unsigned char hi = k == 1 ? high : 0xBF;
    if (b < lo || b > hi) return {kReplacement, 1, false};
    value = (value << 6) | (b & 0x3F);
  }
  return {value, length, true};
}

namespace {

bool isWellFormed(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    if (isAscii(s[i])) {
      ++i;
      continue;
    }
    const Scalar c = decodeAt(s, i);
    if (!c.wellFormed) return false;
    i += c.length;
  }
  return true;
}

// `s` with every byte that is not part of a well-formed sequence replaced by U+FFFD,
// so that what we hand on (to ICU, to JSON) is always valid UTF-8.
std::string sanitised(std::string_view s) {
  if (isWellFormed(s)) return std::string(s);
  std::string out;
  out.reserve(s.size() + 8);
  for (std::size_t i = 0; i < s.size();) {
    const Scalar c = decodeAt(s, i);
    if (c.wellFormed) {
      out.append(s.substr(i, c.length));
    } else {
      out.append(kReplacementUtf8);
    }
    i += c.length;
  }
  return out;
}

// The root-locale character break iterator, made once per thread: creating one loads
// rule data and costs far more than using it.
icu::BreakIterator* characterBreaks() {
  thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> made(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) made.reset();
    return made;
  }();
  return iterator.get();
}

// Hands each cluster of valid UTF-8 `piece` to `visit` until it returns false; returns
// false when stopped. Without ICU's break data every scalar counts as a cluster, so a
// length stays defined.
template <class Visit>
bool forEachClusterInPiece(std::string_view piece, Visit& visit) {
  icu::BreakIterator* breaks = characterBreaks();
  UErrorCode status = U_ZERO_ERROR;
  UText* ut = nullptr;
  if (breaks != nullptr && piece.size() <= static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
    ut = utext_openUTF8(nullptr, piece.data(), static_cast<int64_t>(piece.size()), &status);
    if (U_SUCCESS(status)) breaks->setText(ut, status);
  }
  if (ut == nullptr || U_FAILURE(status)) {
    if (ut != nullptr) utext_close(ut);
    for (std::size_t i = 0; i < piece.size();) {
      const std::size_t length = decodeAt(piece, i).length;
      if (!visit(piece.substr(i, length))) return false;
      i += length;
    }
    return true;
  }
  bool going = true;
  int32_t start = breaks->first();
  for (int32_t end = breaks->next(); end != icu::BreakIterator::DONE; start = end, end = breaks->next()) {
    if (!visit(piece.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)))) {
      going = false;
      break;
    }
  }
  // The iterator keeps a shallow clone pointing at `piece`; point it at a static
  // empty text so nothing refers to the caller's bytes once we return.
  UErrorCode resetStatus = U_ZERO_ERROR;
  UText* blank = utext_openUTF8(nullptr, "", 0, &resetStatus);
  if (U_SUCCESS(resetStatus)) breaks->setText(blank, resetStatus);
  utext_close(blank);
  utext_close(ut);
  return going;
}

// Hands each extended grapheme cluster of `s` to `visit` (a view of its bytes; invalid
// bytes appear as U+FFFD) until `visit` returns false.
//
// Runs of ASCII skip ICU: between two ASCII characters there is always a cluster
// boundary except inside CR LF, and no rule looks across such a boundary. So ICU
// only sees the stretches around non-ASCII text, each cut at a boundary that is
// certain: it starts with the last ASCII cluster before the non-ASCII byte (that
// cluster may take a combining mark) and ends between two ASCII characters.
template <class Visit>
void forEachCluster(std::string_view s, Visit visit) {
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n) {
    std::size_t runEnd = i;
    while (runEnd < n && isAscii(s[runEnd])) ++runEnd;
    std::size_t stop = runEnd;
    if (runEnd < n && runEnd > i) {
      stop = runEnd - 1;
      if (s[stop] == '\n' && stop > i && s[stop - 1] == '\r') --stop;
    }
    while (i < stop) {
      const std::size_t length = (s[i] == '\r' && i + 1 < stop && s[i + 1] == '\n') ? 2 : 1;
      if (!visit(s.substr(i, length))) return;
      i += length;
    }
    if (i >= n) return;

    std::size_t end = i + 1;
    while (end < n && !(isAscii(s[end - 1]) && isAscii(s[end]) && !(s[end - 1] == '\r' && s[end] == '\n'))) ++end;
    const std::string_view piece = s.substr(i, end - i);
    if (isWellFormed(piece)) {
      if (!forEachClusterInPiece(piece, visit)) return;
    } else {
      const std::string clean = sanitised(piece);
      if (!forEachClusterInPiece(std::string_view(clean), visit)) return;
    }
    i = end;
  }
}

std::size_t asciiClusterCount(std::string_view s) {
  std::size_t count = s.size();
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (s[i] == '\n' && s[i - 1] == '\r') --count;
  }
  return count;
}

const icu::Normalizer2* nfcNormalizer() {
  static const icu::Normalizer2* normalizer = [] {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* made = icu::Normalizer2::getNFCInstance(status);
    return U_SUCCESS(status) ? made : nullptr;
  }();
  return normalizer;
}

// Byte order of UTF-8 is the order of the scalars it encodes.
bool bytesLess(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

}  // namespace

std::size_t graphemeCount(std::string_view s) {
  if (allAscii(s)) return asciiClusterCount(s);
  std::size_t count = 0;
  forEachCluster(s, [&](std::string_view) {
    ++count;
    return true;
  });
  return count;
}

bool longerThan(std::string_view s, std::size_t limit) {
  // A cluster takes at least one byte.
  if (s.size() <= limit) return false;
  std::size_t count = 0;
  forEachCluster(s, [&](std::string_view) { return ++count <= limit; });
  return count > limit;
}

std::string prefixGraphemes(std::string_view s, std::size_t n) {
  std::string out;
  if (n == 0) return out;
  std::size_t taken = 0;
  forEachCluster(s, [&](std::string_view cluster) {
    out.append(cluster);
    return ++taken < n;
  });
  return out;
}

bool isWhiteSpace(char32_t c) {
  if ((c >= 0x09 && c <= 0x0D) || c == 0x85) return true;
  // Of ASCII only the space is a separator; asked for every character of every field
  // the phone sends, so ICU is not asked about it.
  if (c < 0x80) return c == 0x20;
  if (c > 0x10FFFF) return false;
  switch (u_charType(static_cast<UChar32>(c))) {
    case U_SPACE_SEPARATOR:
    case U_LINE_SEPARATOR:
    case U_PARAGRAPH_SEPARATOR:
      return true;
    default:
      return false;
  }
}

bool containsWhiteSpace(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const Scalar c = decodeAt(s, i);
    if (isWhiteSpace(c.value)) return true;
    i += c.length;
  }
  return false;
}

std::string trim(std::string_view s) {
  std::size_t first = s.size();
  std::size_t last = 0;  // one past the last byte that is not white space
  for (std::size_t i = 0; i < s.size();) {
    const Scalar c = decodeAt(s, i);
    if (!isWhiteSpace(c.value)) {
      if (first == s.size()) first = i;
      last = i + c.length;
    }
    i += c.length;
  }
  if (first >= last) return {};
  return sanitised(s.substr(first, last - first));
}

std::string collapse(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t wordStart = 0;
  bool inWord = false;
  // Nearly every text is valid UTF-8 already: its words are then copied as they are.
  const bool wellFormed = isWellFormed(s);
  const auto flush = [&](std::size_t end) {
    if (!out.empty()) out.push_back(' ');
    const std::string_view word = s.substr(wordStart, end - wordStart);
    if (wellFormed) {
      out.append(word);
    } else {
      out.append(sanitised(word));
    }
  };
  for (std::size_t i = 0; i < s.size();) {
    const Scalar c = decodeAt(s, i);
    if (isWhiteSpace(c.value)) {
      if (inWord) flush(i);
      inWord = false;
    } else if (!inWord) {
      inWord = true;
      wordStart = i;
    }
    i += c.length;
  }
  if (inWord) flush(s.size());
  return out;
}

std::string nfc(std::string_view s) {
  if (allAscii(s)) return std::string(s);  // ASCII is its own NFC form
  std::string clean = sanitised(s);
  const icu::Normalizer2* normalizer = nfcNormalizer();
  if (normalizer == nullptr) return clean;
  UErrorCode status = U_ZERO_ERROR;
  if (normalizer->isNormalizedUTF8(clean, status) && U_SUCCESS(status)) return clean;
  std::string out;
  icu::StringByteSink<std::string> sink(&out, static_cast<int32_t>(clean.size()));
  status = U_ZERO_ERROR;
  normalizer->normalizeUTF8(0, clean, sink, nullptr, status);
  if (U_FAILURE(status)) return clean;
  return out;
}

bool canonicallyEqual(std::string_view a, std::string_view b) {
  if (a == b && isWellFormed(a)) return true;
  return nfc(a) == nfc(b);
}

bool canonicallyLess(std::string_view a, std::string_view b) { return bytesLess(nfc(a), nfc(b)); }

std::string asciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string lower(std::string_view s) {
  if (allAscii(s)) return asciiLower(s);
  const std::string clean = sanitised(s);
  std::string out;
  icu::StringByteSink<std::string> sink(&out, static_cast<int32_t>(clean.size()));
  UErrorCode status = U_ZERO_ERROR;
  // "" is the root locale: no Turkish dotless i or Lithuanian dot rules.
  icu::CaseMap::utf8ToLower("", 0, clean, sink, nullptr, status);
  // ICU only fails here without memory or case data; the text unchanged is then the
  // best there is.
  if (U_FAILURE(status)) return clean;
  return out;
}

std::optional<std::int64_t> parseInt64(std::string_view s) {
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  if (i == s.size()) return std::nullopt;
  // Accumulate towards the sign so that the most negative value fits.
  std::int64_t value = 0;
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
    const int digit = s[i] - '0';
    if (negative) {
      if (value < (kMin + digit) / 10) return std::nullopt;
      value = value * 10 - digit;
    } else {
      if (value > (kMax - digit) / 10) return std::nullopt;
      value = value * 10 + digit;
    }
  }
  return value;
}

}  // namespace orvane::text
