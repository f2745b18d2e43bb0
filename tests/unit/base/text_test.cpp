#include "base/text.hpp"

#include <gtest/gtest.h>
#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace orvane::text {
namespace {

// Shown in SCOPED_TRACE with control and non-ASCII bytes escaped.
std::string visible(std::string_view s) {
  std::string out;
  for (char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F) {
      out.push_back(c);
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02x", b);
      out += buffer;
    }
  }
  return out;
}

bool isValidUtf8(const std::string& s) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8(nullptr, 0, &length, s.data(), static_cast<int32_t>(s.size()), &status);
  return status == U_BUFFER_OVERFLOW_ERROR || status == U_STRING_NOT_TERMINATED_WARNING || U_SUCCESS(status);
}

// ICU over the whole string in UTF-16, without any of our shortcuts.
std::size_t referenceClusterCount(const std::string& utf8) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> it(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  const icu::UnicodeString text = icu::UnicodeString::fromUTF8(utf8);
  it->setText(text);
  std::size_t count = 0;
  for (it->first(); it->next() != icu::BreakIterator::DONE;) ++count;
  return count;
}

const std::string kFamily = "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466";  // man, woman, girl, boy
const std::string kFrance = "\U0001F1EB\U0001F1F7";
const std::string kGermany = "\U0001F1E9\U0001F1EA";

TEST(GraphemeCount, CountsUserPerceivedCharacters) {
  struct Row {
    const char* name;
    std::string text;
    std::size_t clusters;
  };
  const std::vector<Row> rows = {
      {"empty", "", 0},
      {"ASCII", "Hello, world", 12},
      {"CR LF is one", "a\r\nb", 3},
      {"LF CR is two", "\n\r", 2},
      {"CR LF at the end", "ab\r\n", 3},
      {"CR CR LF", "\r\r\n", 2},
      {"combining acute joins the e", "e\u0301", 1},
      {"combining after ASCII inside a word", "cafe\u0301s", 5},
      {"two combining marks", "a\u0323\u0307b", 2},
      {"combining after CR LF stands alone", "\r\n\u0301", 2},
      {"precomposed", "\u00E9t\u00E9", 3},
      {"emoji ZWJ family", kFamily, 1},
      {"family between letters", "a" + kFamily + "b", 3},
      {"skin tone modifier", "\U0001F44D\U0001F3FD", 1},
      {"keycap after an ASCII digit", "1\uFE0F\u20E3", 1},
      {"one flag", kFrance, 1},
      {"two flags", kFrance + kGermany, 2},
      {"three regional indicators", "\U0001F1EB\U0001F1F7\U0001F1E9", 2},
      {"Hangul syllables", "\uD55C\uAD6D\uC5B4", 3},
      {"Hangul jamo L V T", "\u1100\u1161\u11A8", 1},
      {"prepend joins the ASCII digit after it", "\u06001", 1},
      {"prepend then two digits", "\u060012", 2},
      {"lone bad byte", "\xFF", 1},
      {"bad byte between letters", "a\xFF" "b", 3},
      {"cut-short sequence counts per byte", "\xE2\x82", 2},
      {"overlong NUL counts per byte", "\xC0\x80", 2},
      {"encoded surrogate counts per byte", "\xED\xA0\x80", 3},
      {"beyond U+10FFFF counts per byte", "\xF4\x90\x80\x80", 4},
      {"combining mark joins the replacement", "\xFF\xCC\x81", 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(graphemeCount(row.text), row.clusters);
  }
}

TEST(GraphemeCount, LongTexts) {
  std::string emoji;
  for (int i = 0; i < 4096; ++i) emoji += "\U0001F600";
  EXPECT_EQ(graphemeCount(emoji), 4096u);

  std::string families;
  for (int i = 0; i < 4096; ++i) families += kFamily;
  EXPECT_EQ(graphemeCount(families), 4096u);

  std::string lines;
  for (int i = 0; i < 4096; ++i) lines += "ab\r\n";
  EXPECT_EQ(graphemeCount(lines), 3u * 4096);
}

// The ASCII shortcut must agree with ICU at every seam between ASCII and the rest.
TEST(GraphemeCount, AgreesWithIcuOnMixedText) {
  const std::vector<std::string> atoms = {"a",      "1",      " ",      "\r",     "\n",      "\u0301", "\u200D",
                                          "\uFE0F", "\u20E3", "\u0600", "\u1100", "\u1161",  "\u11A8", "\uD55C",
                                          "\U0001F468", "\U0001F1EB", "\U0001F3FD", "\u00E9", "\u0915", "\u093F"};
  std::mt19937 random(20260105);
  std::uniform_int_distribution<std::size_t> pick(0, atoms.size() - 1);
  std::uniform_int_distribution<int> length(0, 24);
  for (int round = 0; round < 2000; ++round) {
    std::string s;
    for (int n = length(random); n > 0; --n) s += atoms[pick(random)];
    SCOPED_TRACE(visible(s));
    const std::size_t expected = referenceClusterCount(s);
    ASSERT_EQ(graphemeCount(s), expected);
    ASSERT_EQ(longerThan(s, expected), false);
    if (expected > 0) {
      ASSERT_TRUE(longerThan(s, expected - 1));
      // Cutting before the last cluster leaves exactly one cluster fewer.
      const std::string head = prefixGraphemes(s, expected - 1);
      ASSERT_EQ(s.compare(0, head.size(), head), 0);
      ASSERT_LT(head.size(), s.size());
      ASSERT_EQ(referenceClusterCount(head), expected - 1);
    }
    ASSERT_EQ(prefixGraphemes(s, expected), s);
  }
}

TEST(LongerThan, CountsClustersNotBytes) {
  struct Row {
    const char* name;
    std::string text;
    std::size_t limit;
    bool longer;
  };
  const std::vector<Row> rows = {
      {"empty, zero", "", 0, false},
      {"one over zero", "a", 0, true},
      {"at the limit", "abc", 3, false},
      {"one over", "abcd", 3, true},
      {"six bytes, three clusters", "e\u0301e\u0301e\u0301", 3, false},
      {"four families, limit three", kFamily + kFamily + kFamily + kFamily, 3, true},
      {"four families, limit four", kFamily + kFamily + kFamily + kFamily, 4, false},
      {"CR LF pairs", "\r\n\r\n", 2, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(longerThan(row.text, row.limit), row.longer);
  }
}

TEST(PrefixGraphemes, KeepsWholeClusters) {
  struct Row {
    const char* name;
    std::string text;
    std::size_t n;
    std::string prefix;
  };
  const std::vector<Row> rows = {
      {"zero", "abc", 0, ""},
      {"shorter than n", "abc", 10, "abc"},
      {"combining mark stays", "e\u0301abc", 1, "e\u0301"},
      {"ASCII before a combining mark", "abe\u0301c", 3, "abe\u0301"},
      {"family is one", kFamily + "x", 1, kFamily},
      {"flags", kFrance + kGermany + kFrance, 2, kFrance + kGermany},
      {"CR LF kept together", "\r\nx", 1, "\r\n"},
      {"bad byte comes back as U+FFFD", "a\xFF" "b", 2, "a\uFFFD"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(prefixGraphemes(row.text, row.n), row.prefix);
  }
}

TEST(WhiteSpace, IsExactlySeparatorsAndTheControlRange) {
  struct Row {
    char32_t c;
    bool white;
  };
  const std::vector<Row> rows = {
      {U' ', true},     {U'\t', true},    {U'\n', true},    {0x0B, true},     {0x0C, true},     {U'\r', true},
      {0x85, true},     {0xA0, true},     {0x1680, true},   {0x2000, true},   {0x200A, true},   {0x2028, true},
      {0x2029, true},   {0x202F, true},   {0x205F, true},   {0x3000, true},   {0x08, false},    {0x0E, false},
      {0x1C, false},    {0x1F, false},    {U'a', false},    {0x200B, false},  {0x2060, false},  {0xFEFF, false},
      {0x180E, false},  {0x110000, false}, {0xFFFFFFFF, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<std::uint32_t>(row.c));
    EXPECT_EQ(isWhiteSpace(row.c), row.white);
  }
}

TEST(WhiteSpace, ContainsWhiteSpace) {
  EXPECT_TRUE(containsWhiteSpace("a b"));
  EXPECT_TRUE(containsWhiteSpace("name\u00A0"));
  EXPECT_TRUE(containsWhiteSpace("x\u2029"));
  EXPECT_FALSE(containsWhiteSpace("a\u200Bb"));
  EXPECT_FALSE(containsWhiteSpace("abc\xFF"));
  EXPECT_FALSE(containsWhiteSpace(""));
}

TEST(Trim, RemovesWhiteSpaceAtBothEnds) {
  struct Row {
    const char* name;
    std::string text;
    std::string trimmed;
  };
  const std::vector<Row> rows = {
      {"spaces", "  a b  ", "a b"},
      {"tabs and newlines", "\t\na\tb\r\n", "a\tb"},
      {"NEL, line separator, ideographic space", "\u0085x\u2028\u3000", "x"},
      {"no-break space", "\u00A0x\u00A0", "x"},
      {"zero width space is kept", "\u200Bx\u200B", "\u200Bx\u200B"},
      {"only white space", " \t\u3000 ", ""},
      {"empty", "", ""},
      {"bad byte becomes U+FFFD", " \xFF" "a ", "\uFFFDa"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(trim(row.text), row.trimmed);
  }
}

TEST(Collapse, JoinsWordsWithOneSpace) {
  struct Row {
    const char* name;
    std::string text;
    std::string collapsed;
  };
  const std::vector<Row> rows = {
      {"runs of spaces and tabs", "  a \t b\n\nc ", "a b c"},
      {"every kind of separator", "a\u0085b\u2028c\u3000d\u00A0e\u2029f\u000Bg", "a b c d e f g"},
      {"zero width space is part of a word", "a\u200Bb \u200B", "a\u200Bb \u200B"},
      {"single word", "word", "word"},
      {"only white space", " \t\r\n ", ""},
      {"other ASCII controls are not white space", "\x1F a\x1C\x7F  b", "\x1F a\x1C\x7F b"},
      {"an invalid byte in a word becomes a replacement", "a\xFF  b", "a\uFFFD b"},
      {"empty", "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(collapse(row.text), row.collapsed);
  }
}

TEST(Canonical, EqualityIgnoresComposition) {
  EXPECT_TRUE(canonicallyEqual("\u00E9", "e\u0301"));
  EXPECT_TRUE(canonicallyEqual("\u212B", "\u00C5"));  // angstrom sign and A with ring
  EXPECT_TRUE(canonicallyEqual("a\u0323\u0307", "a\u0307\u0323"));  // marks of different classes reorder
  EXPECT_FALSE(canonicallyEqual("e", "\u00E9"));
  EXPECT_FALSE(canonicallyEqual("\uFB01", "fi"));  // compatibility, not canonical
  EXPECT_EQ(nfc("e\u0301"), "\u00E9");
  EXPECT_EQ(nfc("plain"), "plain");
  EXPECT_EQ(nfc("\xFF"), "\uFFFD");
}

TEST(Canonical, OrderIsByScalarsOfTheNfcForm) {
  struct Row {
    const char* name;
    std::string a;
    std::string b;
    bool less;
  };
  const std::vector<Row> rows = {
      {"a before b", "a", "b", true},
      {"b not before a", "b", "a", false},
      {"equal", "a", "a", false},
      {"empty first", "", "a", true},
      {"prefix first", "a", "ab", true},
      {"longer not before its prefix", "ab", "a", false},
      {"decomposed e-acute sorts as U+00E9, after f", "f", "e\u0301", true},
      {"and not before f", "e\u0301", "f", false},
      {"equivalent forms in one direction", "e\u0301", "\u00E9", false},
      {"equivalent forms in the other", "\u00E9", "e\u0301", false},
      {"U+FFFF before U+10000 (UTF-16 order would differ)", "\uFFFF", "\U00010000", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(canonicallyLess(row.a, row.b), row.less);
  }
}

TEST(AsciiLower, TouchesOnlyAsciiLetters) {
  EXPECT_EQ(asciiLower("HTTPS://Example.COM/\u00C4Z"), "https://example.com/\u00C4z");
  EXPECT_EQ(asciiLower(""), "");
}

TEST(Lower, UsesTheFullUnicodeCaseMapping) {
  struct Row {
    const char* name;
    std::string input;
    std::string expected;
  };
  const Row rows[] = {
      {"ASCII", "WhatsApp MESSAGES", "whatsapp messages"},
      {"Latin with diacritics", "\u00C4RGER \u00DCBER \u00C9T\u00C9", "\u00E4rger \u00FCber \u00E9t\u00E9"},
      {"capital sharp s", "STRA\u1E9EE", "stra\u00DFe"},
      // The full mapping, not the one-to-one table: one letter becomes two.
      {"capital I with dot above", "\u0130stanbul", "i\u0307stanbul"},
      // Context: a sigma at the end of a word takes its final form.
      {"Greek final sigma", "\u039F\u0394\u03A5\u03A3\u03A3\u0395\u03A5\u03A3", "\u03BF\u03B4\u03C5\u03C3\u03C3\u03B5\u03C5\u03C2"},
      {"Cyrillic", "\u041C\u0410\u0428\u0410", "\u043C\u0430\u0448\u0430"},
      {"Deseret, outside the BMP", "\U00010400", "\U00010428"},
      {"no letters", "\U0001F600 12 | 34", "\U0001F600 12 | 34"},
      {"invalid bytes read as U+FFFD", "A\xFF\u00C4", "a\uFFFD\u00E4"},
      {"empty", "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(lower(row.input), row.expected);
  }
}

TEST(ParseInt64, AcceptsOnlyStrictDecimal) {
  struct Row {
    const char* text;
    std::optional<std::int64_t> value;
  };
  const std::vector<Row> rows = {
      {"0", 0},
      {"42", 42},
      {"+12", 12},
      {"-3", -3},
      {"-0", 0},
      {"007", 7},
      {"9223372036854775807", INT64_MAX},
      {"-9223372036854775808", INT64_MIN},
      {"9223372036854775808", std::nullopt},
      {"-9223372036854775809", std::nullopt},
      {"12345678901234567890", std::nullopt},
      {"", std::nullopt},
      {"+", std::nullopt},
      {"-", std::nullopt},
      {" 12", std::nullopt},
      {"12 ", std::nullopt},
      {"4x", std::nullopt},
      {"+-1", std::nullopt},
      {"--1", std::nullopt},
      {"1e3", std::nullopt},
      {"0x10", std::nullopt},
      {"1.0", std::nullopt},
      {"\xD9\xA1", std::nullopt},  // Arabic-Indic digit one
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(parseInt64(row.text), row.value);
  }
}

// Arbitrary bytes never crash, and every text that comes back is valid UTF-8.
TEST(InvalidUtf8, ArbitraryBytesAreSafe) {
  std::mt19937 random(17431);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 40);
  std::vector<std::string> inputs;
  for (int b = 0; b < 256; ++b) inputs.emplace_back(1, static_cast<char>(b));
  for (int i = 0; i < 2000; ++i) {
    std::string s;
    for (int n = length(random); n > 0; --n) s.push_back(static_cast<char>(byte(random)));
    inputs.push_back(std::move(s));
  }
  for (const std::string& s : inputs) {
    SCOPED_TRACE(visible(s));
    const std::size_t count = graphemeCount(s);
    ASSERT_LE(count, s.size());
    ASSERT_EQ(count == 0, s.empty());
    ASSERT_FALSE(longerThan(s, count));
    if (count > 0) {
      ASSERT_TRUE(longerThan(s, count - 1));
    }
    const std::string whole = prefixGraphemes(s, count);
    ASSERT_TRUE(isValidUtf8(whole));
    ASSERT_EQ(graphemeCount(whole), count);
    ASSERT_TRUE(isValidUtf8(trim(s)));
    ASSERT_TRUE(isValidUtf8(collapse(s)));
    ASSERT_TRUE(isValidUtf8(nfc(s)));
    ASSERT_TRUE(isValidUtf8(lower(s)));
    ASSERT_TRUE(canonicallyEqual(s, s));
    ASSERT_FALSE(canonicallyLess(s, s));
  }
}

}  // namespace
}  // namespace orvane::text
