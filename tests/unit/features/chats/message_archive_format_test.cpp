#include "features/chats/message_archive_format.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "chat_samples.hpp"

namespace orvane {
namespace {

using namespace chat_samples;
using Json = nlohmann::json;

// Two conversations: one with every optional member, one without any.
std::vector<ChatConversation> smallArchive() {
  return {
      conversation("messages|anna", "Messages", "Anna", 0.5, "n1", true,
                   {incoming("n1", "Hi \"you\"\nthere \u00E9", 0.125), reply("R1", "n1", "ok", 0.5, Delivery::sent)}),
      conversation("messages|bo", "Messages", "Bo", -100, std::nullopt, false,
                   {ChatMessageLine{"x1", std::nullopt, "yo", false, at(-100), Delivery::incoming}}),
  };
}

// Compact, members in their fixed order, optional ones left out, dates in seconds
// since 2001 with a fraction (`origin` is 789316200 of them).
const std::string smallArchiveJson =
    R"([{"id":"messages|anna","app":"Messages","contact":"Anna","updatedAt":789316200.5,"replyNotificationID":"n1",)"
    R"("canReply":true,"messages":[{"id":"n1|Hi \"you\"\nthere )" "\u00E9" R"(","sourceNotificationID":"n1",)"
    R"("text":"Hi \"you\"\nthere )" "\u00E9" R"(","isOutgoing":false,"sentAt":789316200.125,"delivery":"incoming"},)"
    R"({"id":"R1","sourceNotificationID":"n1","text":"ok","isOutgoing":true,"sentAt":789316200.5,"delivery":"sent"}]},)"
    R"({"id":"messages|bo","app":"Messages","contact":"Bo","updatedAt":789316100.0,"canReply":false,)"
    R"("messages":[{"id":"x1","text":"yo","isOutgoing":false,"sentAt":789316100.0,"delivery":"incoming"}]}])";

TEST(ArchiveFormat, EncodesTheExactBytes) {
  EXPECT_EQ(archive_format::encode(smallArchive()), smallArchiveJson);
  EXPECT_EQ(archive_format::encode({}), "[]");
}

TEST(ArchiveFormat, DecodesMembersInAnyOrderAndIgnoresUnknownOnes) {
  const std::string shuffled =
      R"([{"messages":[{"delivery":"incoming","sentAt":789316200.125,"isOutgoing":false,"text":"Hi \"you\"\nthere )"
      "\u00E9"
      R"(","sourceNotificationID":"n1","id":"n1|Hi \"you\"\nthere )"
      "\u00E9"
      R"(","reaction":"+1"},)"
      R"({"delivery":"sent","isOutgoing":true,"text":"ok","sentAt":789316200.5,"id":"R1","sourceNotificationID":"n1"}],)"
      R"("canReply":true,"pinned":{"since":[1,2]},"replyNotificationID":"n1","updatedAt":789316200.5,"contact":"Anna",)"
      R"("app":"Messages","id":"messages|anna"},)"
      // Whole-number dates, and null where a value may be left out.
      R"({"canReply":false,"messages":[{"sourceNotificationID":null,"id":"x1","text":"yo","isOutgoing":false,)"
      R"("sentAt":789316100,"delivery":"incoming"}],"replyNotificationID":null,"id":"messages|bo","app":"Messages",)"
      R"("contact":"Bo","updatedAt":789316100}])";
  const auto decoded = archive_format::decode(shuffled);
  ASSERT_TRUE(decoded.has_value()) << decoded.error();
  EXPECT_EQ(*decoded, smallArchive());
}

TEST(ArchiveFormat, AnyFaultFailsTheWholeFileAndSaysWhere) {
  struct Row {
    const char* name;
    std::function<void(Json&)> damage;
    std::string fault;
  };
  const Row rows[] = {
      {"second conversation without \"canReply\"", [](Json& j) { j[1].erase("canReply"); },
       R"(conversation 2 has no "canReply")"},
      {"\"canReply\" as a text", [](Json& j) { j[0]["canReply"] = "true"; },
       R"("canReply" of conversation 1 is not true or false)"},
      {"\"updatedAt\" as a text", [](Json& j) { j[0]["updatedAt"] = "2026-01-05"; },
       R"("updatedAt" of conversation 1 is not a date (a number of seconds))"},
      {"required \"id\" null", [](Json& j) { j[0]["id"] = nullptr; }, R"("id" of conversation 1 is not a text)"},
      {"\"messages\" as an object", [](Json& j) { j[0]["messages"] = Json::object(); },
       R"("messages" of conversation 1 is not a list)"},
      {"a message without \"text\"", [](Json& j) { j[0]["messages"][1].erase("text"); },
       R"(message 2 of conversation 1 has no "text")"},
      {"a message without \"isOutgoing\"", [](Json& j) { j[1]["messages"][0].erase("isOutgoing"); },
       R"(message 1 of conversation 2 has no "isOutgoing")"},
      {"an unknown delivery", [](Json& j) { j[0]["messages"][0]["delivery"] = "read"; },
       R"(message 1 of conversation 1 has an unknown "delivery": "read")"},
      {"\"sourceNotificationID\" as a number", [](Json& j) { j[0]["messages"][0]["sourceNotificationID"] = 7; },
       R"("sourceNotificationID" of message 1 of conversation 1 is not a text)"},
      {"\"replyNotificationID\" as a list", [](Json& j) { j[0]["replyNotificationID"] = Json::array(); },
       R"("replyNotificationID" of conversation 1 is not a text)"},
      {"a message that is a text", [](Json& j) { j[0]["messages"][0] = "hello"; },
       "message 1 of conversation 1 is not a JSON object"},
      {"a conversation that is a number", [](Json& j) { j[1] = 3; }, "conversation 2 is not a JSON object"},
      {"an object in place of the list", [](Json& j) { j = Json::object({{"conversations", j}}); },
       "the file does not hold a list of conversations"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Json damaged = Json::parse(smallArchiveJson);
    row.damage(damaged);
    const auto decoded = archive_format::decode(damaged.dump());
    ASSERT_FALSE(decoded.has_value());
    EXPECT_EQ(decoded.error(), row.fault);
  }
}

TEST(ArchiveFormat, TextThatIsNotJsonFailsWithItsPlace) {
  struct Row {
    const char* name;
    std::string text;
    std::string fault;
  };
  const Row rows[] = {
      {"empty file", "", "the file is not valid JSON (it goes wrong near byte 1)"},
      {"cut short", smallArchiveJson.substr(0, 40), "the file is not valid JSON (it goes wrong near byte 41)"},
      {"a byte that is not UTF-8", R"([{"id":")" "\xFF" R"("}])", "the file is not valid JSON (it goes wrong near byte 9)"},
      {"two documents", "[] []", "the file is not valid JSON (it goes wrong near byte 4)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto decoded = archive_format::decode(row.text);
    ASSERT_FALSE(decoded.has_value());
    EXPECT_EQ(decoded.error(), row.fault);
  }
}

TEST(ArchiveFormat, RoundTripsEveryKindOfLine) {
  std::vector<ChatConversation> conversations = smallArchive();
  conversations.push_back(conversation(
      "google messages|\u00E9lodie \U0001F600", "Google Messages", "\u00C9lodie \U0001F600", 0, "g1", true,
      {incoming("g0", "before 2001", -789316200.25), reply("R2", "g1", "sending", 1234.5, Delivery::sending),
       reply("R3", "g1", "failed", 0, Delivery::failed), incoming("g1", "\u4F60\u597D", 0)}));
  // To the microsecond, as a reply made on this computer is dated.
  const WallTime precise = origin + std::chrono::microseconds(1234567891);
  conversations.back().updatedAt = precise;
  conversations.back().messages[2].sentAt = precise;
  conversations.back().messages[3].sentAt = precise;
  conversations.push_back(conversation("messages|empty", "Messages", "Empty", 7, std::nullopt, true, {}));

  const std::string encoded = archive_format::encode(conversations);
  const auto decoded = archive_format::decode(encoded);
  ASSERT_TRUE(decoded.has_value()) << decoded.error();
  EXPECT_EQ(*decoded, conversations);
  EXPECT_EQ(archive_format::encode(*decoded), encoded);
}

TEST(ArchiveFormat, DatesAreSecondsSince2001) {
  using namespace std::chrono;
  const WallTime start2001 = WallTime{} + seconds(978307200);
  struct Row {
    const char* name;
    WallTime time;
    double seconds;
  };
  const Row rows[] = {
      {"the start of 2001", start2001, 0.0},
      {"the start of 1970", WallTime{}, -978307200.0},
      {"half a second before 2001", start2001 - milliseconds(500), -0.5},
      {"a phone's milliseconds", origin + milliseconds(1), 789316200.001},
      {"a clock's microseconds", origin + microseconds(999999), 789316200.999999},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_DOUBLE_EQ(archive_format::secondsSince2001(row.time), row.seconds);
    EXPECT_EQ(archive_format::fromSecondsSince2001(row.seconds), row.time);
  }
  // A number no real file holds is held at the limit, not overflowed.
  const WallTime far = archive_format::fromSecondsSince2001(1e300);
  EXPECT_EQ(far, archive_format::fromSecondsSince2001(8e9));
  EXPECT_GT(far, origin);
  EXPECT_LT(archive_format::fromSecondsSince2001(-1e300), WallTime{});
}

}  // namespace
}  // namespace orvane
