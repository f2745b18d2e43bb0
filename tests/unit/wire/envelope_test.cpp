#include "wire/envelope.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "base/text.hpp"
#include "reference_codec.hpp"
#include "wire/framing.hpp"

namespace orvane {
namespace {

std::string repeat(std::string_view unit, std::size_t n) {
  std::string out;
  out.reserve(unit.size() * n);
  for (std::size_t i = 0; i < n; ++i) out += unit;
  return out;
}

// An envelope text with the given raw JSON for each of the four values.
std::string envelopeJson(std::string_view v, std::string_view id, std::string_view type, std::string_view body) {
  return std::string(R"({"v":)") + std::string(v) + R"(,"id":)" + std::string(id) + R"(,"type":)" +
         std::string(type) + R"(,"body":)" + std::string(body) + "}";
}

std::string jsonString(std::string_view s) { return "\"" + std::string(s) + "\""; }

// "e" with a combining acute accent: one character, two code points, three bytes.
const std::string accentedE = "e\u0301";
// Thumbs up with a skin tone: one character, two code points, eight bytes.
const std::string thumbsUp = "\U0001F44D\U0001F3FD";

TEST(EnvelopeParse, MinimalEnvelopeParses) {
  const auto e = Envelope::parse(std::string_view(R"({"v":1,"id":"a","type":"ping","body":{}})"));
  ASSERT_TRUE(e.has_value()) << e.error().reason;
  EXPECT_EQ(e->v, 1);
  EXPECT_EQ(e->id, "a");
  EXPECT_EQ(e->type, "ping");
  EXPECT_TRUE(e->body.empty());
}

TEST(EnvelopeParse, ReadsBodyAndIgnoresUnknownKeys) {
  const auto e = Envelope::parse(toBytes(
      R"({"extra":[1,{"x":null}],"body":{"text":"hi","k":"caf\u00e9"},"type":"message","id":"ID-1","v":1,"z":true})"));
  ASSERT_TRUE(e.has_value()) << e.error().reason;
  EXPECT_EQ(e->type, "message");
  EXPECT_EQ(e->id, "ID-1");
  EXPECT_EQ(e->body, (Body{{"text", "hi"}, {"k", "caf\xC3\xA9"}}));
  EXPECT_EQ(e->get("k"), std::optional<std::string_view>("caf\xC3\xA9"));
  EXPECT_EQ(e->get("missing"), std::nullopt);
}

TEST(EnvelopeParse, RejectsWithTheFirstFailingCheck) {
  const std::string ok = jsonString("a");
  const std::string ping = jsonString("ping");
  const std::string empty = "{}";
  struct Row {
    const char* name;
    std::string payload;
    std::string_view expected;  // empty: parses
  };
  const Row rows[] = {
      // Shape.
      {"empty payload", "", EnvelopeError::malformedEnvelope},
      {"truncated object", R"({"v":1,"id":"a")", EnvelopeError::malformedEnvelope},
      {"array", "[]", EnvelopeError::malformedEnvelope},
      {"number", "1", EnvelopeError::malformedEnvelope},
      {"string", jsonString("ping"), EnvelopeError::malformedEnvelope},
      {"null", "null", EnvelopeError::malformedEnvelope},
      {"trailing garbage", envelopeJson("1", ok, ping, empty) + "x", EnvelopeError::malformedEnvelope},
      {"v missing", R"({"id":"a","type":"ping","body":{}})", EnvelopeError::malformedEnvelope},
      {"id missing", R"({"v":1,"type":"ping","body":{}})", EnvelopeError::malformedEnvelope},
      {"type missing", R"({"v":1,"id":"a","body":{}})", EnvelopeError::malformedEnvelope},
      {"body missing", R"({"v":1,"id":"a","type":"ping"})", EnvelopeError::malformedEnvelope},
      {"v as a string", envelopeJson(jsonString("1"), ok, ping, empty), EnvelopeError::malformedEnvelope},
      {"v as a fraction", envelopeJson("1.0", ok, ping, empty), EnvelopeError::malformedEnvelope},
      {"v with exponent", envelopeJson("1e0", ok, ping, empty), EnvelopeError::malformedEnvelope},
      {"v beyond 64 bits", envelopeJson("18446744073709551615", ok, ping, empty), EnvelopeError::malformedEnvelope},
      {"v null", envelopeJson("null", ok, ping, empty), EnvelopeError::malformedEnvelope},
      {"id a number", envelopeJson("1", "7", ping, empty), EnvelopeError::malformedEnvelope},
      {"type null", envelopeJson("1", ok, "null", empty), EnvelopeError::malformedEnvelope},
      {"body value a number", envelopeJson("1", ok, ping, R"({"n":5})"), EnvelopeError::malformedEnvelope},
      {"body value null", envelopeJson("1", ok, ping, R"({"n":null})"), EnvelopeError::malformedEnvelope},
      {"body value an object", envelopeJson("1", ok, ping, R"({"a":"1","n":{}})"), EnvelopeError::malformedEnvelope},
      {"body an array", envelopeJson("1", ok, ping, R"(["x"])"), EnvelopeError::malformedEnvelope},
      {"body a string", envelopeJson("1", ok, ping, jsonString("x")), EnvelopeError::malformedEnvelope},
      {"invalid UTF-8 in a string", envelopeJson("1", jsonString("a\xFF"), ping, empty), EnvelopeError::malformedEnvelope},
      {"truncated UTF-8 in a body value", envelopeJson("1", ok, ping, "{\"text\":\"\xE2\x82\"}"),
       EnvelopeError::malformedEnvelope},
      {"lone surrogate escape", envelopeJson("1", jsonString("\\ud800"), ping, empty), EnvelopeError::malformedEnvelope},
      {"invalid UTF-8 outside strings", envelopeJson("1", ok, ping, empty) + "\xC0", EnvelopeError::malformedEnvelope},
      // Version.
      {"v 2", envelopeJson("2", ok, ping, empty), EnvelopeError::unsupportedVersion},
      {"v 0", envelopeJson("0", ok, ping, empty), EnvelopeError::unsupportedVersion},
      {"v -1", envelopeJson("-1", ok, ping, empty), EnvelopeError::unsupportedVersion},
      {"v largest 64-bit", envelopeJson("9223372036854775807", ok, ping, empty), EnvelopeError::unsupportedVersion},
      {"v 2 before an empty id", envelopeJson("2", jsonString(""), ping, empty), EnvelopeError::unsupportedVersion},
      // Message id.
      {"id empty", envelopeJson("1", jsonString(""), ping, empty), EnvelopeError::badMessageID},
      {"id of 64 characters", envelopeJson("1", jsonString(repeat(accentedE, 64)), ping, empty), ""},
      {"id of 65 characters", envelopeJson("1", jsonString(repeat(accentedE, 65)), ping, empty), EnvelopeError::badMessageID},
      {"empty id before an empty type", envelopeJson("1", jsonString(""), jsonString(""), empty), EnvelopeError::badMessageID},
      // Message type.
      {"type empty", envelopeJson("1", ok, jsonString(""), empty), EnvelopeError::badMessageType},
      {"type of 32 characters", envelopeJson("1", ok, jsonString(repeat("t", 32)), empty), ""},
      {"type of 33 characters", envelopeJson("1", ok, jsonString(repeat("t", 33)), empty), EnvelopeError::badMessageType},
      {"long type before a long text", envelopeJson("1", ok, jsonString(repeat("t", 33)),
                                                    "{\"text\":\"" + repeat("x", 4097) + "\"}"),
       EnvelopeError::badMessageType},
      // Text.
      {"text of 4096 characters", envelopeJson("1", ok, jsonString("message"), "{\"text\":\"" + repeat("x", 4096) + "\"}"),
       ""},
      {"text of 4097 characters", envelopeJson("1", ok, jsonString("message"), "{\"text\":\"" + repeat("x", 4097) + "\"}"),
       EnvelopeError::messageTooLong},
      {"text of 4097 characters on an unknown type",
       envelopeJson("1", ok, jsonString("whatever"), "{\"text\":\"" + repeat("x", 4097) + "\"}"),
       EnvelopeError::messageTooLong},
      {"text of 4096 emoji", envelopeJson("1", ok, jsonString("message"), "{\"text\":\"" + repeat(thumbsUp, 4096) + "\"}"),
       ""},
      {"text of 4097 emoji", envelopeJson("1", ok, jsonString("message"), "{\"text\":\"" + repeat(thumbsUp, 4097) + "\"}"),
       EnvelopeError::messageTooLong},
      {"4097 characters under another key", envelopeJson("1", ok, ping, "{\"title\":\"" + repeat("x", 4097) + "\"}"),
       ""},
      {"Text with a capital is another key", envelopeJson("1", ok, ping, "{\"Text\":\"" + repeat("x", 4097) + "\"}"),
       ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_LE(row.payload.size(), Framing::maxPayload) << "the row must fit in one frame";
    const auto e = Envelope::parse(row.payload);
    if (row.expected.empty()) {
      EXPECT_TRUE(e.has_value()) << e.error().reason;
    } else {
      ASSERT_FALSE(e.has_value());
      EXPECT_EQ(e.error().reason, row.expected);
    }
  }
}

TEST(EnvelopeParse, CountsCharactersNotBytes) {
  // The premise of the emoji rows above: far more bytes and code points than characters.
  const std::string text = repeat(thumbsUp, 4096);
  EXPECT_EQ(text::graphemeCount(text), 4096u);
  EXPECT_EQ(text.size(), 4096u * 8);
}

TEST(EnvelopeEncode, IsCompactJsonWithTheFourKeysAndRoundTrips) {
  const Envelope e{1, "9F1C0E2A-0000-4000-8000-000000000001", "notif_reply",
                   Body{{"id", "n 1"}, {"text", "say \"hi\"\n\tthen \xE2\x80\x94 \U0001F600"}, {"empty", ""}}};
  const std::string json = e.encode();

  const auto parsed = Envelope::parse(json);
  ASSERT_TRUE(parsed.has_value()) << parsed.error().reason;
  EXPECT_EQ(*parsed, e);

  const auto tree = nlohmann::json::parse(json);
  std::set<std::string> keys;
  for (const auto& [key, value] : tree.items()) keys.insert(key);
  EXPECT_EQ(keys, (std::set<std::string>{"v", "id", "type", "body"}));
  EXPECT_TRUE(tree["v"].is_number_integer());
  EXPECT_TRUE(tree["body"].is_object());

  // Compact: re-dumping without indentation changes nothing, so no insignificant white
  // space was written.
  EXPECT_EQ(json, tree.dump());
  EXPECT_EQ(json.find(": "), std::string::npos);
  EXPECT_EQ(json.find(", "), std::string::npos);
  EXPECT_EQ(json.find('\n'), std::string::npos);
}

TEST(EnvelopeEncode, EmptyBodyIsAnObject) {
  const Envelope e{1, "x", "pong", {}};
  const auto tree = nlohmann::json::parse(e.encode());
  EXPECT_TRUE(tree["body"].is_object());
  EXPECT_TRUE(tree["body"].empty());
}

TEST(EnvelopeEncode, InvalidUTF8InAnOutgoingValueDoesNotThrow) {
  const Envelope e{1, "x", "message", Body{{"text", "bad \xFF byte"}}};
  std::string json;
  ASSERT_NO_THROW(json = e.encode());
  const auto parsed = Envelope::parse(json);
  ASSERT_TRUE(parsed.has_value()) << parsed.error().reason;
  EXPECT_EQ(parsed->get("text"), std::optional<std::string_view>("bad \xEF\xBF\xBD byte"));
}

TEST(EnvelopeEncode, WritesEveryEnvelopeByteForByteAsTheJsonLibraryDid) {
  struct Row {
    const char* name;
    Envelope envelope;
  };
  std::string controls;
  for (int c = 0; c < 0x20; ++c) controls.push_back(static_cast<char>(c));
  const std::vector<Row> rows = {
      {"plain", Envelope{1, "A-1", "ping", {}}},
      {"every control character", Envelope{1, "x", "message", Body{{"text", controls}}}},
      {"quotes, backslash, slash and DEL", Envelope{1, "x\"y", "t\\", Body{{"a/b", "\x7F\\\""}}}},
      {"non-ASCII text", Envelope{1, "\u00E9", "notif", Body{{"\u2014", "\U0001F600 \u00E9"}}}},
      {"body keys in their order", Envelope{1, "x", "t", Body{{"z", "1"}, {"A", "2"}, {"a", "3"}, {"", "4"}}}},
      {"a large and a negative version", Envelope{-9007199254740993, "x", "t", {}}},
      {"invalid UTF-8 everywhere", Envelope{1, "\xC0\xAF", "\xFF", Body{{"\xE2\x82", "a\xED\xA0\x80" "b\xF4\x90"}}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.envelope.encode(), reference::encodeEnvelope(row.envelope));
  }
}

TEST(EnvelopeMake, UsesVersionOneAndAFreshUpperCaseUuid) {
  const Envelope a = Envelope::make("ping");
  const Envelope b = Envelope::make("message", Body{{"text", "hi"}});
  EXPECT_EQ(a.v, 1);
  EXPECT_EQ(a.type, "ping");
  EXPECT_TRUE(a.body.empty());
  EXPECT_EQ(b.get("text"), std::optional<std::string_view>("hi"));
  EXPECT_NE(a.id, b.id);
  for (const auto& id : {a.id, b.id}) {
    SCOPED_TRACE(id);
    ASSERT_EQ(id.size(), 36u);
    for (std::size_t i = 0; i < id.size(); ++i) {
      const char c = id[i];
      if (i == 8 || i == 13 || i == 18 || i == 23)
        EXPECT_EQ(c, '-');
      else
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << "at " << i;
    }
  }
  EXPECT_TRUE(Envelope::parse(b.encode()).has_value());
}

}  // namespace
}  // namespace orvane
