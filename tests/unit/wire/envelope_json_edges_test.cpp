// Corners of JSON where parsers are known to disagree: repeated keys, deep nesting,
// integers beyond 64 bits, broken UTF-8 and surrogates, a byte order mark, NUL bytes
// and text after the document. Each verdict is the one the wire has always given,
// pinned on the reference parser (nlohmann/json), and the product's parser must give
// the same verdict and, where the frame parses, the same envelope.
#include <gtest/gtest.h>

#include <string>

#include "reference_codec.hpp"
#include "wire/envelope.hpp"
#include "wire/framing.hpp"

namespace orvane {
namespace {

using Parsed = expected<Envelope, EnvelopeError>;

std::string repeat(std::string_view unit, std::size_t n) {
  std::string out;
  out.reserve(unit.size() * n);
  for (std::size_t i = 0; i < n; ++i) out += unit;
  return out;
}

// A valid envelope with `extra` (raw JSON members, each followed by a comma) in front.
std::string withMembers(std::string_view extra) {
  return "{" + std::string(extra) + R"("v":1,"id":"a","type":"ping","body":{}})";
}

// An envelope with the given raw JSON as its body.
std::string withBody(std::string_view body) {
  return R"({"v":1,"id":"a","type":"message","body":)" + std::string(body) + "}";
}

const std::string kPing = withMembers("");
const std::string kLongText = repeat("x", 4097);

std::string verdict(const Parsed& p) { return p ? "parses" : p.error().reason; }

struct Row {
  const char* name;
  std::string payload;
  std::string_view expected;  // a reason code, or "parses"
};

constexpr std::string_view parses = "parses";
constexpr std::string_view malformed = EnvelopeError::malformedEnvelope;

void checkRows(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_LE(row.payload.size(), Framing::maxPayload) << "the row must fit in one frame";
    const Parsed before = reference::parseEnvelope(row.payload);
    ASSERT_EQ(verdict(before), row.expected) << "the reference parser no longer gives this verdict";
    const Parsed now = Envelope::parse(row.payload);
    EXPECT_EQ(verdict(now), verdict(before));
    if (now && before) {
      EXPECT_EQ(*now, *before);
    }
  }
}

TEST(EnvelopeJsonEdges, RepeatedKeysCountWithTheirLastValue) {
  checkRows({
      {"v 2 then 1", R"({"v":2,"v":1,"id":"a","type":"ping","body":{}})", parses},
      {"v 1 then 2", R"({"v":1,"v":2,"id":"a","type":"ping","body":{}})", EnvelopeError::unsupportedVersion},
      {"v a string then 1", R"({"v":"1","v":1,"id":"a","type":"ping","body":{}})", parses},
      {"v 1 then a string", R"({"v":1,"v":"1","id":"a","type":"ping","body":{}})", malformed},
      {"v 1, then 2 after an empty id", R"({"v":1,"id":"","v":2,"type":"ping","body":{}})",
       EnvelopeError::unsupportedVersion},
      {"id empty then set", R"({"v":1,"id":"","id":"b","type":"ping","body":{}})", parses},
      {"id set then empty", R"({"v":1,"id":"b","id":"","type":"ping","body":{}})", EnvelopeError::badMessageID},
      {"type a number then a string", R"({"v":1,"id":"a","type":7,"type":"ping","body":{}})", parses},
      {"body an array then an object", R"({"v":1,"id":"a","type":"ping","body":[1],"body":{"k":"x"}})", parses},
      {"body an object then an array", R"({"v":1,"id":"a","type":"ping","body":{},"body":[]})", malformed},
      {"body key a number then a string", withBody(R"({"n":5,"n":"x"})"), parses},
      {"body key a string then a number", withBody(R"({"n":"x","n":5})"), malformed},
      {"body key a string, a number, a string", withBody(R"({"n":"x","n":5,"n":"y"})"), parses},
      {"body key null then a string, another key null", withBody(R"({"n":null,"n":"x","m":null})"), malformed},
      {"text too long then short", withBody(R"({"text":")" + kLongText + R"(","text":"ok"})"), parses},
      {"text short then too long", withBody(R"({"text":"ok","text":")" + kLongText + R"("})"),
       EnvelopeError::messageTooLong},
      {"keys written with escapes", R"({"\u0076":1,"\u0069d":"a","type":"ping","bod\u0079":{}})", parses},
      {"escaped body key text", withBody(R"({"te\u0078t":")" + kLongText + R"("})"), EnvelopeError::messageTooLong},
      {"an escaped key repeats a plain one", R"({"v":2,"\u0076":1,"id":"a","type":"ping","body":{}})", parses},
  });
}

TEST(EnvelopeJsonEdges, NestingUnderIgnoredKeysHasNoDepthLimit) {
  const std::string deep2000 = repeat("[", 2000) + repeat("]", 2000);
  const std::string deep30000 = repeat("[", 30000) + repeat("]", 30000);
  const std::string deepObjects = repeat(R"({"a":)", 5000) + "1" + repeat("}", 5000);
  checkRows({
      {"2000 levels", withMembers(R"("extra":)" + deep2000 + ","), parses},
      {"30000 levels", withMembers(R"("extra":)" + deep30000 + ","), parses},
      {"5000 objects", withMembers(R"("extra":)" + deepObjects + ","), parses},
      {"2000 levels, one not closed", withMembers(R"("extra":)" + repeat("[", 2000) + repeat("]", 1999) + ","),
       malformed},
      {"2000 levels with a syntax error inside",
       withMembers(R"("extra":)" + repeat("[", 1000) + "1,,2" + repeat("]", 1000) + ","), malformed},
      {"a body value 2000 levels deep", withBody(R"({"k":)" + deep2000 + "}"), malformed},
      {"an envelope 2000 levels down", repeat("[", 2000) + kPing + repeat("]", 2000), malformed},
  });
}

TEST(EnvelopeJsonEdges, NumbersBeyondSixtyFourBitsAreDoubles) {
  const std::string huge = "1" + repeat("0", 308);     // 1e308, a double holds it
  const std::string tooHuge = "1" + repeat("0", 309);  // 1e309, beyond every double
  checkRows({
      {"30 digits under an ignored key", withMembers(R"("n":123456789012345678901234567890,)"), parses},
      {"-30 digits under an ignored key", withMembers(R"("n":-123456789012345678901234567890,)"), parses},
      {"2^64 in an array", withMembers(R"("n":[0,18446744073709551616,1],)"), parses},
      {"2^64 - 1", withMembers(R"("n":18446744073709551615,)"), parses},
      {"-2^63 - 1", withMembers(R"("n":-9223372036854775809,)"), parses},
      {"309 digits", withMembers(R"("n":)" + huge + ","), parses},
      {"310 digits", withMembers(R"("n":)" + tooHuge + ","), malformed},
      {"-310 digits", withMembers(R"("n":-)" + tooHuge + ","), malformed},
      {"30 digits with a fraction", withMembers(R"("n":123456789012345678901234567890.5,)"), parses},
      {"30 digits with an exponent", withMembers(R"("n":123456789012345678901234567890e5,)"), parses},
      {"30 digits with a leading zero", withMembers(R"("n":0123456789012345678901234567890,)"), malformed},
      {"30 digits after a minus sign twice", withMembers(R"("n":--123456789012345678901234567890,)"), malformed},
      {"30 digits after an exponent", withMembers(R"("n":1e123456789012345678901234567890,)"), malformed},
      {"30 digits after a decimal point", withMembers(R"("n":1.123456789012345678901234567890,)"), parses},
      {"30 digits in a string with an escaped quote, then 2^64",
       withMembers(R"("s\"":"\"123456789012345678901234567890","n":18446744073709551616,)"), parses},
      {"exponent beyond a double", withMembers(R"("n":1e400,)"), malformed},
      {"exponent below a double", withMembers(R"("n":1e-400,)"), parses},
      {"largest double", withMembers(R"("n":1.7976931348623157e308,)"), parses},
      {"just past the largest double", withMembers(R"("n":1.7976931348623159e308,)"), malformed},
      {"v 2^64", R"({"v":18446744073709551616,"id":"a","type":"ping","body":{}})", malformed},
      {"v 2^63", R"({"v":9223372036854775808,"id":"a","type":"ping","body":{}})", malformed},
      {"v -2^63 - 1", R"({"v":-9223372036854775809,"id":"a","type":"ping","body":{}})", malformed},
      {"v -2^63", R"({"v":-9223372036854775808,"id":"a","type":"ping","body":{}})", EnvelopeError::unsupportedVersion},
      {"v -0", R"({"v":-0,"id":"a","type":"ping","body":{}})", EnvelopeError::unsupportedVersion},
      {"v 2^64 then 1", R"({"v":18446744073709551616,"v":1,"id":"a","type":"ping","body":{}})", parses},
      {"body value 2^64", withBody(R"({"n":18446744073709551616})"), malformed},
      {"body value 2^64 then a string", withBody(R"({"n":18446744073709551616,"n":"x"})"), parses},
  });
}

TEST(EnvelopeJsonEdges, TextMustBeStrictUtf8AndSurrogatesMustPair) {
  checkRows({
      {"overlong NUL in a body value", withBody("{\"k\":\"\xC0\x80\"}"), malformed},
      {"overlong slash in a body value", withBody("{\"k\":\"\xE0\x80\xAF\"}"), malformed},
      {"surrogate written in UTF-8", withBody("{\"k\":\"\xED\xA0\x80\"}"), malformed},
      {"beyond U+10FFFF", withBody("{\"k\":\"\xF4\x90\x80\x80\"}"), malformed},
      {"stray continuation byte", withBody("{\"k\":\"\x80\"}"), malformed},
      {"invalid UTF-8 in a key", withBody("{\"k\xFF\":\"x\"}"), malformed},
      {"invalid UTF-8 under an ignored key", withMembers("\"extra\":\"\xFE\","), malformed},
      {"Latin-1 after the document", kPing + "\xE9", malformed},
      {"lone low surrogate", withBody(R"({"k":"\udc00"})"), malformed},
      {"high surrogate then a letter", withBody(R"({"k":"\ud800\u0041"})"), malformed},
      {"two high surrogates", withBody(R"({"k":"\ud800\ud800"})"), malformed},
      {"high surrogate at the end", withBody(R"({"k":"x\ud83d"})"), malformed},
      {"lone surrogate in a key", withBody(R"({"\ud800":"x"})"), malformed},
      {"lone surrogate under an ignored key", withMembers(R"("extra":"\udfff",)"), malformed},
      {"surrogate pair", withBody(R"({"k":"\ud83d\ude00"})"), parses},
      {"escaped NUL", withBody(R"({"k":"a\u0000b"})"), parses},
      {"unknown escape", withBody(R"({"k":"\x41"})"), malformed},
      {"raw tab in a string", withBody("{\"k\":\"a\tb\"}"), malformed},
      {"raw DEL in a string", withBody("{\"k\":\"a\x7F" "b\"}"), parses},
      {"four-byte characters", withBody("{\"k\":\"\xF0\x9F\x8D\xBF\xF4\x8F\xBF\xBF\"}"), parses},
  });
}

TEST(EnvelopeJsonEdges, ByteOrderMarkAndNulBytes) {
  const std::string bom = "\xEF\xBB\xBF";
  checkRows({
      {"byte order mark", bom + kPing, parses},
      {"byte order mark twice", bom + bom + kPing, malformed},
      {"byte order mark cut short", "\xEF\xBB" + kPing, malformed},
      {"byte order mark after white space", " " + bom + kPing, malformed},
      {"byte order mark alone", bom, malformed},
      {"byte order mark after the document", kPing + bom, malformed},
      {"NUL after the document", kPing + std::string(1, '\0'), parses},
      {"NUL, then anything", kPing + std::string(1, '\0') + "garbage \xFF\xFE {", parses},
      {"white space, NUL, then anything", kPing + " \r\n" + std::string(1, '\0') + "x", parses},
      {"byte order mark, document, NUL", bom + kPing + std::string(1, '\0') + "}", parses},
      {"NUL alone", std::string(1, '\0'), malformed},
      {"NUL before the document", std::string(1, '\0') + kPing, malformed},
      {"NUL before the object closes", kPing.substr(0, kPing.size() - 1) + std::string(1, '\0') + "}", malformed},
      {"NUL inside a string", withBody(std::string("{\"k\":\"a") + '\0' + "b\"}"), malformed},
      {"NUL after a number", R"({"v":1)" + std::string(1, '\0') + R"(,"id":"a","type":"ping","body":{}})", malformed},
      {"garbage, then NUL", kPing + "x" + std::string(1, '\0'), malformed},
  });
}

TEST(EnvelopeJsonEdges, OnlyWhiteSpaceMayFollowTheDocument) {
  checkRows({
      {"JSON white space around", " \t\r\n" + kPing + " \t\r\n", parses},
      {"form feed after", kPing + "\f", malformed},
      {"vertical tab before", "\v" + kPing, malformed},
      {"non-breaking space after", kPing + "\xC2\xA0", malformed},
      {"a second object", kPing + "{}", malformed},
      {"a second envelope", kPing + kPing, malformed},
      {"a comma", kPing + ",", malformed},
      {"a closing brace", kPing + "}", malformed},
      {"a comment", kPing + "//", malformed},
      {"a trailing comma in the body", withBody(R"({"k":"x",})"), malformed},
      {"single quotes", R"({'v':1,'id':'a','type':'ping','body':{}})", malformed},
      {"a capitalised literal", withMembers(R"("extra":True,)"), malformed},
      {"NaN", withMembers(R"("extra":NaN,)"), malformed},
      {"a bare minus sign", withMembers(R"("extra":-,)"), malformed},
      {"white space only", "  ", malformed},
  });
}

TEST(EnvelopeJsonEdges, AnEmptyPayloadWithoutStorageIsMalformed) {
  const Bytes none;
  EXPECT_EQ(verdict(reference::parseEnvelope(none)), malformed);
  EXPECT_EQ(verdict(Envelope::parse(none)), malformed);
}

TEST(EnvelopeJsonEdges, ValuesAreTakenAsWritten) {
  const auto e = Envelope::parse(std::string_view(
      R"({"v":2,"\u0076":1,"id":"","id":"\u00e9\ud83d\ude00","type":"message","body":{"n":5,"n":"a\u0000b","k":"x","k":"y"}})"));
  ASSERT_TRUE(e.has_value()) << e.error().reason;
  EXPECT_EQ(e->v, 1);
  EXPECT_EQ(e->id, "\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_EQ(e->type, "message");
  EXPECT_EQ(e->body, (Body{{"n", std::string("a\0b", 3)}, {"k", "y"}}));
}

}  // namespace
}  // namespace orvane
