#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/fake_clock.hpp"
#include "chat_samples.hpp"
#include "features/chats/chat_list.hpp"

namespace orvane {
namespace {

using namespace chat_samples;

// Anna's conversation, replied to twice through n1, and Bo's, once through n1 as well
// (notification ids are the phone's and need not differ between conversations).
std::vector<ChatConversation> twoRepliesThroughOneNotification() {
  return {
      conversation("messages|anna", "Messages", "Anna", 30, "n1", true,
                   {incoming("n1", "hi", 10), reply("R1", "n1", "first", 20), incoming("n9", "between", 25),
                    reply("R2", "n1", "second", 30)}),
      conversation("messages|bo", "Messages", "Bo", 5, "n1", true, {reply("R3", "n1", "bo's", 5)}),
  };
}

TEST(ChatReplyStatus, TheLaterSendingLineOfTheFirstConversationChanges) {
  auto list = twoRepliesThroughOneNotification();
  ASSERT_TRUE(chats::updateReplyStatus(list, "n1", true));
  auto expected = twoRepliesThroughOneNotification();
  expected[0].messages[3].delivery = Delivery::sent;
  EXPECT_EQ(list, expected);

  // The later line has left `sending`; the next outcome is the earlier one's.
  ASSERT_TRUE(chats::updateReplyStatus(list, "n1", false));
  expected[0].messages[1].delivery = Delivery::failed;
  EXPECT_EQ(list, expected);

  // Then Bo's, the next conversation that still has one.
  ASSERT_TRUE(chats::updateReplyStatus(list, "n1", true));
  expected[1].messages[0].delivery = Delivery::sent;
  EXPECT_EQ(list, expected);

  // Nothing is left `sending` through n1: nothing changes, whatever the outcome.
  EXPECT_FALSE(chats::updateReplyStatus(list, "n1", false));
  EXPECT_EQ(list, expected);
}

TEST(ChatReplyStatus, NoLineSendingThroughTheNotificationChangesNothing) {
  // n9 only brought an incoming line; nX is unknown.
  for (const char* id : {"n9", "nX", ""}) {
    SCOPED_TRACE(id);
    auto list = twoRepliesThroughOneNotification();
    EXPECT_FALSE(chats::updateReplyStatus(list, id, true));
    EXPECT_EQ(list, twoRepliesThroughOneNotification());
  }
}

class ChatAppendReply : public ::testing::Test {
 protected:
  // Bo's conversation is the newest; Anna's can be replied to; Cem's notification
  // takes no reply; Dana's conversation has no notification to reply through.
  std::vector<ChatConversation> list = {
      conversation("messages|bo", "Messages", "Bo", 200, "b1", true, {incoming("b1", "later", 200)}),
      conversation("messages|anna", "Messages", "Anna", 100, "n1", true, {incoming("n1", "hi", 100)}),
      conversation("messages|cem", "Messages", "Cem", 50, "c1", false, {incoming("c1", "hey", 50)}),
      conversation("messages|dana", "Messages", "Dana", 40, std::nullopt, true, {incoming("d1", "yo", 40)}),
  };
  FakeClock clock;  // at `origin`
};

TEST_F(ChatAppendReply, AddsNothingWithoutTextOrAConversationToReplyIn) {
  struct Row {
    const char* name;
    const char* conversationID;
    std::string text;
  };
  const Row rows[] = {
      {"empty text", "messages|anna", ""},
      {"white space and line ends only", "messages|anna", " \n\t\u3000\r\n"},
      {"unknown conversation", "messages|nobody", "hello"},
      {"notification takes no reply", "messages|cem", "hello"},
      {"no notification to reply through", "messages|dana", "hello"},
  };
  const auto before = list;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(chats::appendReply(list, row.conversationID, row.text, clock, "UUID"), std::nullopt);
    EXPECT_EQ(list, before);
  }
}

TEST_F(ChatAppendReply, AppendsASendingLineDatedNowAndMovesTheConversationToTheFront) {
  clock.advance(std::chrono::seconds(300));
  const auto sent = chats::appendReply(list, "messages|anna", "  See you \n", clock, "0F8FAD5B-D9CB-469F-A165-70867728950E");
  ASSERT_TRUE(sent.has_value());
  EXPECT_EQ(sent->notificationID, "n1");
  EXPECT_EQ(sent->text, "See you");

  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0], conversation("messages|anna", "Messages", "Anna", 300, "n1", true,
                                  {incoming("n1", "hi", 100),
                                   reply("0F8FAD5B-D9CB-469F-A165-70867728950E", "n1", "See you", 300)}));
  EXPECT_EQ(list[1].id, "messages|bo");
  EXPECT_EQ(list[2].id, "messages|cem");
  EXPECT_EQ(list[3].id, "messages|dana");
}

TEST_F(ChatAppendReply, ALongReplyIsStillAppendedWhole) {
  // The phone link refuses texts this long; the line stays, `sending`, as a record of
  // what the user wrote.
  const std::string longText(5000, 'x');
  clock.advance(std::chrono::seconds(300));
  const auto sent = chats::appendReply(list, "messages|anna", longText, clock, "UUID-LONG");
  ASSERT_TRUE(sent.has_value());
  EXPECT_EQ(sent->text, longText);
  ASSERT_EQ(list[0].id, "messages|anna");
  EXPECT_EQ(list[0].messages.back(), reply("UUID-LONG", "n1", longText, 300));
}

TEST(ChatPruneReplyEchoes, RemovesIncomingLinesCloseToAReplyWithTheSameText) {
  const std::vector<ChatConversation> before = {
      // Newer conversation whose only incoming line is an echo: it stays, without it.
      conversation("messages|bo", "Messages", "Bo", 300, "b2", true,
                   {reply("R9", "b1", "thanks", 298), incoming("b2", "thanks", 300)}),
      conversation("messages|anna", "Messages", "Anna", 120, "n7", true,
                   {incoming("n2", "ok", 95),                  // exactly 5 s before the reply: kept
                    incoming("n1", "ok", 95.5),                // 4.5 s before: an echo
                    reply("R1", "n1", "ok", 100, Delivery::sent),
                    incoming("n3", "OK", 101),                 // other text: kept
                    incoming("n4", "caf\u00E9", 102),          // composed form of the reply below
                    reply("R2", "n1", "cafe\u0301", 103),
                    incoming("n5", "ok", 104.999),             // just inside 5 s: an echo
                    incoming("n6", "ok", 105),                 // exactly 5 s after: kept
                    incoming("n7", "ok", 120)}),
      // Not touched: nothing to remove.
      conversation("messages|cem", "Messages", "Cem", 50, "c1", true, {incoming("c1", "ok", 50)}),
  };
  auto list = before;
  ASSERT_TRUE(chats::pruneReplyEchoes(list));

  auto expected = before;
  expected[0].messages = {reply("R9", "b1", "thanks", 298)};
  expected[1].messages = {incoming("n2", "ok", 95), reply("R1", "n1", "ok", 100, Delivery::sent),
                          incoming("n3", "OK", 101), reply("R2", "n1", "cafe\u0301", 103),
                          incoming("n6", "ok", 105), incoming("n7", "ok", 120)};
  EXPECT_EQ(list, expected);

  EXPECT_FALSE(chats::pruneReplyEchoes(list));
  EXPECT_EQ(list, expected);
}

}  // namespace
}  // namespace orvane
