#include "wire/json_text.hpp"

#include <gtest/gtest.h>

#include <string>

namespace orvane {
namespace {

using namespace std::string_literals;

TEST(JsonTextDocument, SkipsOneByteOrderMarkAndEndsAtTheFirstNul) {
  struct Row {
    std::string payload;
    std::string document;
  };
  const Row rows[] = {
      {"{}", "{}"},
      {"\xEF\xBB\xBF{}", "{}"},
      {"\xEF\xBB\xBF\xEF\xBB\xBF{}", "\xEF\xBB\xBF{}"},
      {"\xEF\xBB{}", "\xEF\xBB{}"},
      {" \xEF\xBB\xBF{}", " \xEF\xBB\xBF{}"},
      {"{}\0x\0y"s, "{}"},
      {"\xEF\xBB\xBF{}\0x"s, "{}"},
      {"\0{}"s, ""},
      {"", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.payload);
    EXPECT_EQ(JsonText::document(row.payload), row.document);
  }
}

TEST(JsonTextLongIntegers, OnlyValidIntegersBeyondSixtyFourBitsGainAFraction) {
  struct Row {
    const char* json;
    std::optional<std::string> widened;
  };
  const Row rows[] = {
      {R"({"n":18446744073709551616})", R"({"n":18446744073709551616.0})"},
      {R"([-9223372036854775809,1])", R"([-9223372036854775809.0,1])"},
      {R"([123456789012345678901234567890 , -123456789012345678901234567890])",
       R"([123456789012345678901234567890.0 , -123456789012345678901234567890.0])"},
      // Within 64 bits, signed or unsigned: left as they are.
      {R"([18446744073709551615,-9223372036854775808,0,-0])", std::nullopt},
      // Already fractions or exponents, or digits after them.
      {R"([123456789012345678901234567890.5,1.123456789012345678901234567890])", std::nullopt},
      {R"([1e123456789012345678901234567890,123456789012345678901234567890E1])", std::nullopt},
      // Not valid numbers: a leading zero, two signs, a sign in the middle.
      {R"([0123456789012345678901234567890,--123456789012345678901234567890])", std::nullopt},
      {R"([1-123456789012345678901234567890])", std::nullopt},
      // Inside strings and keys, escaped quotes included.
      {R"({"123456789012345678901234567890":"\"123456789012345678901234567890"})", std::nullopt},
      {R"({"a\\":"b","n":123456789012345678901234567890})", R"({"a\\":"b","n":123456789012345678901234567890.0})"},
      // A string never closed hides everything after its quote.
      {R"(["123456789012345678901234567890)", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.json);
    EXPECT_EQ(JsonText::longIntegersAsFractions(row.json), row.widened);
  }
}

}  // namespace
}  // namespace orvane
