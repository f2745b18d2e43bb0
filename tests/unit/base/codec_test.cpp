#include "base/codec.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace orvane::codec {
namespace {

TEST(Base64, Rfc4648Vectors) {
  struct Row {
    const char* plain;
    const char* encoded;
  };
  const std::vector<Row> rows = {
      {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.encoded);
    EXPECT_EQ(base64Encode(toBytes(row.plain)), row.encoded);
    const std::optional<Bytes> decoded = base64Decode(row.encoded);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(toString(*decoded), row.plain);
  }
}

TEST(Base64, EveryByteValueRoundTrips) {
  Bytes all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<std::uint8_t>(b));
  for (std::size_t cut = 0; cut < 4; ++cut) {
    SCOPED_TRACE(cut);
    const Bytes data(all.begin(), all.end() - static_cast<std::ptrdiff_t>(cut));
    EXPECT_EQ(base64Decode(base64Encode(data)), data);
    EXPECT_EQ(base64urlDecode(base64urlEncode(data)), data);
  }
}

TEST(Base64, StrictDecoderRefusesAnythingOffTheStandardForm) {
  const std::vector<const char*> rows = {
      "Zm9v\n",      // trailing newline
      "Zm9v\r\n",    // trailing CR LF
      " Zm9v",       // leading space
      "Zm 9v",       // inner space
      "Zm9",         // length not a multiple of four
      "Zg",          // padding left out
      "Zg=",         // padding short
      "Zm=v",        // padding in the middle
      "Zg==Zm9v",    // padding before more data
      "Zm9v====",    // a group of padding only
      "Zm9v=",       // stray padding
      "Z===",        // three padding characters
      "====",        // nothing but padding
      "Zm9v-_8=",    // base64url alphabet
      "Zm9v\xC3\xA9",  // non-ASCII
  };
  for (const char* text : rows) {
    SCOPED_TRACE(text);
    EXPECT_EQ(base64Decode(text), std::nullopt);
  }
}

TEST(Base64, UnusedTrailingBitsAreIgnored) {
  // "Zh==" carries bits past the one byte it encodes; it still decodes to "f".
  EXPECT_EQ(base64Decode("Zh=="), toBytes("f"));
  EXPECT_EQ(base64Decode("Zm9="), toBytes("fo"));
}

TEST(Base64Url, UsesTheUrlAlphabetWithoutPadding) {
  const Bytes data = {0xFB, 0xFF};
  EXPECT_EQ(base64Encode(data), "+/8=");
  EXPECT_EQ(base64urlEncode(data), "-_8");
  EXPECT_EQ(base64urlEncode({0xFB, 0xFF, 0xBF}), "-_-_");
  EXPECT_EQ(base64urlEncode(toBytes("f")), "Zg");
}

TEST(Base64Url, DecodesWithOrWithoutCorrectPadding) {
  struct Row {
    const char* text;
    std::optional<Bytes> bytes;
  };
  const std::vector<Row> rows = {
      {"-_8", Bytes{0xFB, 0xFF}},
      {"-_8=", Bytes{0xFB, 0xFF}},
      {"-_-_", Bytes{0xFB, 0xFF, 0xBF}},
      {"Zg", toBytes("f")},
      {"Zg==", toBytes("f")},
      {"", Bytes{}},
      {"+/8=", std::nullopt},   // standard alphabet
      {"-_8==", std::nullopt},  // one padding character too many
      {"Zg=", std::nullopt},    // padding short
      {"Z", std::nullopt},      // a single character cannot hold a byte
      {"Zm9vY", std::nullopt},
      {"Zg=a", std::nullopt},   // padding in the middle
      {"Zm9v=", std::nullopt},  // padding on a full group
      {"Zg \n", std::nullopt},  // white space
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(base64urlDecode(row.text), row.bytes);
  }
}

TEST(Hex, LowerCaseTwoDigitsPerByte) {
  EXPECT_EQ(hexEncode({0x00, 0x0F, 0xA0, 0xFF, 0x5C}), "000fa0ff5c");
  EXPECT_EQ(hexEncode({}), "");
}

}  // namespace
}  // namespace orvane::codec
