#include "features/notifications/notif_gate.hpp"

#include <gtest/gtest.h>

#include <string>

namespace orvane {
namespace {

using OptString = std::optional<std::string>;

TEST(NotifGateCleanID, TrimsAndBoundsToSixtyFourCharacters) {
  struct Row {
    const char* name;
    OptString input;
    OptString expected;
  };
  const Row rows[] = {
      {"none", std::nullopt, std::nullopt},
      {"padded with spaces", "  abc  ", "abc"},
      {"padded with line ends and no-break spaces", "\n\t\u00A0abc\u3000\r\n", "abc"},
      {"inner white space kept", " a b ", "a b"},
      {"64 letters", std::string(64, 'k'), std::string(64, 'k')},
      {"65 letters", std::string(65, 'k'), std::nullopt},
      {"64 letters after trimming", "   " + std::string(64, 'k') + "   ", std::string(64, 'k')},
      {"spaces only", "     ", std::nullopt},
      {"empty", "", std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(NotifGate::cleanID(row.input), row.expected);
    EXPECT_EQ(NotifGate::cleanApp(row.input), row.expected);
  }
}

TEST(NotifGateCleanID, CountsCharactersNotBytes) {
  std::string flags;
  for (int i = 0; i < 64; ++i) flags += "\U0001F1E9\U0001F1EA";  // one flag: two code points, 8 bytes
  EXPECT_EQ(NotifGate::cleanID(flags), flags);
  EXPECT_EQ(NotifGate::cleanID(flags + "\U0001F1E9\U0001F1EA"), std::nullopt);
}

TEST(NotifGateCleanField, CollapsesThenChecksTheLimit) {
  struct Row {
    const char* name;
    OptString input;
    std::size_t max;
    OptString expected;
  };
  // 1030 characters before collapsing, 1000 after: 30 doubled spaces become single.
  std::string spaced;
  for (int i = 0; i < 30; ++i) spaced += "word  ";
  spaced += std::string(1000 - 30 * 5, 'z');
  std::string collapsed;
  for (int i = 0; i < 30; ++i) collapsed += "word ";
  collapsed += std::string(1000 - 30 * 5, 'z');
  ASSERT_EQ(spaced.size(), 1030u);
  ASSERT_EQ(collapsed.size(), 1000u);

  const Row rows[] = {
      {"none", std::nullopt, 256, std::nullopt},
      {"runs of white space joined", "Hello\n\n  World\t!", 256, "Hello World !"},
      {"white space at the ends dropped", " \u2028 Title \u2029 ", 256, "Title"},
      {"all white space", " \t\n\u00A0 ", 256, std::nullopt},
      {"empty", "", 256, std::nullopt},
      {"exactly the maximum", std::string(256, 'a'), 256, std::string(256, 'a')},
      {"300 characters refused, not cut", std::string(300, 'a'), 256, std::nullopt},
      {"limit applies after collapsing", spaced, 1024, collapsed},
      {"1025 characters after collapsing", "  " + std::string(1025, 'b') + "  ", 1024, std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(NotifGate::cleanField(row.input, row.max), row.expected);
  }
}

TEST(NotifGateCleanTime, AcceptsStrictDecimalsBelowTenToTheThirteen) {
  struct Row {
    const char* name;
    OptString input;
    std::optional<std::int64_t> expected;
  };
  const Row rows[] = {
      {"none", std::nullopt, std::nullopt},
      {"13 digits with spaces around", "  1712345678901 ", 1712345678901},
      {"plus sign", "+5", 5},
      {"zero", "0", 0},
      {"leading zeros", "007", 7},
      {"minus one", "-1", std::nullopt},
      {"minus zero", "-0", 0},
      {"ten to the thirteen", "10000000000000", std::nullopt},
      {"one below ten to the thirteen", "9999999999999", 9999999999999},
      {"largest 64-bit value", "9223372036854775807", std::nullopt},
      {"20 digits, beyond 64 bits", "12345678901234567890", std::nullopt},
      {"digits then letters", "123abc", std::nullopt},
      {"inner space", "12 34", std::nullopt},
      {"sign only", "+", std::nullopt},
      {"two signs", "+-5", std::nullopt},
      {"fraction", "1.5", std::nullopt},
      {"non-ASCII digits", "\u0661\u0662", std::nullopt},
      {"empty", "", std::nullopt},
      {"spaces only", "   ", std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(NotifGate::cleanTime(row.input), row.expected);
  }
}

}  // namespace
}  // namespace orvane
