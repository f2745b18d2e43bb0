#include "features/clipboard/clipboard_gate.hpp"

#include <gtest/gtest.h>

#include <string>

#include "base/text.hpp"

namespace orvane {
namespace {

std::string repeat(std::string_view unit, std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) out += unit;
  return out;
}

// One character of 16 UTF-8 bytes: the transgender flag, a ZWJ sequence of white flag,
// variation selector, zero width joiner, transgender symbol and variation selector.
const std::string wide = "\U0001F3F3\uFE0F\u200D\u26A7\uFE0F";

TEST(ClipboardGate, WideCharacterIsOneCharacterOfSixteenBytes) {
  EXPECT_EQ(wide.size(), 16u);
  EXPECT_EQ(text::graphemeCount(wide), 1u);
}

TEST(ClipboardGate, BoundsCharactersAndBytesWithoutChangingTheText) {
  struct Row {
    const char* name;
    std::optional<std::string> input;
    bool passes;
  };
  const Row rows[] = {
      {"none", std::nullopt, false},
      {"empty", "", false},
      {"one space", " ", true},
      {"leading and trailing white space kept", "  \tcopied text\n\n", true},
      {"4096 ASCII characters", std::string(4096, 'a'), true},
      {"4097 ASCII characters", std::string(4097, 'a'), false},
      {"4000 characters of 16 bytes (64000 bytes)", repeat(wide, 4000), false},
      {"3750 characters of 16 bytes (exactly 60000 bytes)", repeat(wide, 3750), true},
      {"3751 characters of 16 bytes (60016 bytes)", repeat(wide, 3751), false},
      {"4096 characters of two code points each", repeat("e\u0301", 4096), true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const auto out = ClipboardGate::sendableText(row.input);
    if (row.passes)
      EXPECT_EQ(out, row.input);
    else
      EXPECT_EQ(out, std::nullopt);
  }
}

}  // namespace
}  // namespace orvane
