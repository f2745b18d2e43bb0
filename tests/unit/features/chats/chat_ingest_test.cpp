#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chat_samples.hpp"
#include "features/chats/chat_list.hpp"

namespace orvane {
namespace {

using namespace chat_samples;

TEST(ChatRules, MessagingAppsAndConversationKeys) {
  struct Row {
    const char* app;
    bool messaging;
  };
  const Row apps[] = {
      {"Messages", true},      {"Google MESSAGES", true}, {"MessageBird", true}, {"  messages  ", true},
      {"Messenger", false},    {"WhatsApp", false},       {"", false},           {"Mes sage", false},
      {"\u039C\u03AD\u03C3\u03C3\u03B1\u03B3\u03B5 Message", true},
  };
  for (const Row& row : apps) {
    SCOPED_TRACE(row.app);
    EXPECT_EQ(chats::isMessagingApp(row.app), row.messaging);
  }
  EXPECT_EQ(chats::conversationKey("Google MESSAGES", "Anna BERGER"), "google messages|anna berger");
  EXPECT_EQ(chats::conversationKey("Messages", "\u00C9LODIE"), "messages|\u00E9lodie");
  EXPECT_EQ(chats::conversationKey("Messages", "\u039F\u0394\u03A5\u03A3\u03A3\u0395\u03A5\u03A3"),
            "messages|\u03BF\u03B4\u03C5\u03C3\u03C3\u03B5\u03C5\u03C2");
}

struct Step {
  ChatNotification notification;
  bool changes;
};

struct IngestRow {
  const char* name;
  std::vector<ChatConversation> before;
  WallTime clearedAt;
  std::vector<Step> steps;
  std::vector<ChatConversation> after;
};

std::vector<IngestRow> ingestRows() {
  const auto anna = [](double updated, std::string replyID, bool canReply, std::vector<ChatMessageLine> lines) {
    return conversation("messages|anna", "Messages", "Anna", updated, std::move(replyID), canReply, std::move(lines));
  };
  const auto toAnna = [](std::string id, std::string body, double seconds, bool canReply = true) {
    return notification(std::move(id), "Messages", "Anna", std::move(body), seconds, canReply);
  };
  return {
      {"an app without \"message\" in its name is ignored",
       {},
       distantPast,
       {{notification("n1", "WhatsApp", "Anna", "hi", 10), false},
        {notification("n2", "Messenger", "Anna", "hi", 11), false}},
       {}},
      {"\"message\" in any letter case is enough",
       {},
       distantPast,
       {{notification("n1", "Google MESSAGES", "Anna", "hi", 10), true},
        {notification("n2", "MessageBird", "Bo", "yo", 11), true}},
       {conversation("messagebird|bo", "MessageBird", "Bo", 11, "n2", true, {incoming("n2", "yo", 11)}),
        conversation("google messages|anna", "Google MESSAGES", "Anna", 10, "n1", true, {incoming("n1", "hi", 10)})}},
      {"no body, or a body of white space only, is ignored",
       {},
       distantPast,
       {{toAnna("n1", " \n\t\u00A0\u2028 ", 10), false},
        {notification("n2", "Messages", "Anna", std::nullopt, 11), false},
        {toAnna("n3", "", 12), false}},
       {}},
      {"received at or before the clear is ignored",
       {},
       at(10),
       {{toAnna("n1", "before", 9), false}, {toAnna("n2", "at the clear", 10), false}, {toAnna("n3", "after", 10.001), true}},
       {anna(10.001, "n3", true, {incoming("n3", "after", 10.001)})}},
      {"body and title are trimmed of white space and line ends",
       {},
       distantPast,
       {{notification("n1", "Messages", " \tAnna \n", "\r\n hi there \t", 10, false), true}},
       {anna(10, "n1", false, {incoming("n1", "hi there", 10)})}},
      {"the same notification offered again changes nothing",
       {},
       distantPast,
       {{toAnna("n1", "hi", 10), true}, {toAnna("n1", "hi", 10), false}, {toAnna("n1", " hi\n", 10), false}},
       {anna(10, "n1", true, {incoming("n1", "hi", 10)})}},
      {"the same text in another notification is another line",
       {},
       distantPast,
       {{toAnna("n1", "ok", 10), true}, {toAnna("n2", "ok", 20), true}},
       {anna(20, "n2", true, {incoming("n1", "ok", 10), incoming("n2", "ok", 20)})}},
      {"a changed text under the same id is a second line, the first stays",
       {},
       distantPast,
       {{toAnna("n1", "hi", 10), true}, {toAnna("n1", "hi, are you there?", 10), true}},
       {anna(10, "n1", true, {incoming("n1", "hi", 10), incoming("n1", "hi, are you there?", 10)})}},
      {"titles that differ in letter case share a conversation spelled as the later one",
       {},
       distantPast,
       {{notification("n1", "Messages", "anna", "a", 10), true}, {notification("n2", "MESSAGES", "ANNA", "b", 11), true}},
       {conversation("messages|anna", "MESSAGES", "ANNA", 11, "n2", true, {incoming("n1", "a", 10), incoming("n2", "b", 11)})}},
      {"a title in another Unicode composition is the same contact",
       {},
       distantPast,
       {{notification("n1", "Messages", "Jos\u00E9", "a", 10), true},
        {notification("n2", "Messages", "Jose\u0301", "b", 11), true}},
       {conversation("messages|jos\u00E9", "Messages", "Jos\u00E9", 11, "n2", true,
                     {incoming("n1", "a", 10), incoming("n2", "b", 11)})}},
      {"without a title, or with a blank one, the contact is the app",
       {},
       distantPast,
       {{notification("n1", "Messages", std::nullopt, "a", 10), true},
        {notification("n2", "Messages", " \n ", "b", 11), true}},
       {conversation("messages|messages", "Messages", "Messages", 11, "n2", true,
                     {incoming("n1", "a", 10), incoming("n2", "b", 11)})}},
      {"a reply's text back within ten seconds adds no line, at ten seconds it does",
       {anna(100, "n1", true, {incoming("n1", "hi", 90), reply("R1", "n1", "On my way", 100)})},
       distantPast,
       {{toAnna("n2", "On my way", 109.9), true}, {toAnna("n3", "On my way", 110), true}},
       {anna(110, "n3", true,
             {incoming("n1", "hi", 90), reply("R1", "n1", "On my way", 100), incoming("n3", "On my way", 110)})}},
      {"a reply's text from before the reply, within ten seconds, adds no line",
       {anna(100, "n1", true, {incoming("n1", "hi", 90), reply("R1", "n1", "ok", 100)})},
       distantPast,
       {{toAnna("n2", "ok", 91), true}},
       {anna(100, "n2", true, {incoming("n1", "hi", 90), reply("R1", "n1", "ok", 100)})}},
      {"an incoming echo less than five seconds from a reply is removed, one at five seconds stays",
       {anna(104.9, "n2", true,
             {incoming("n1", "hi", 90), incoming("n0", "ok", 95), reply("R1", "n1", "ok", 100, Delivery::sent),
              incoming("n2", "ok", 104.9)})},
       distantPast,
       {{toAnna("n3", "new", 120), true}},
       {anna(120, "n3", true,
             {incoming("n1", "hi", 90), incoming("n0", "ok", 95), reply("R1", "n1", "ok", 100, Delivery::sent),
              incoming("n3", "new", 120)})}},
      {"an older notification never takes over the reply target, one at the same moment does",
       {anna(100, "n5", true, {incoming("n5", "latest", 100)})},
       distantPast,
       {{toAnna("n4", "earlier", 90, false), true}, {toAnna("n6", "same moment", 100, false), true}},
       {anna(100, "n6", false,
             {incoming("n4", "earlier", 90), incoming("n5", "latest", 100), incoming("n6", "same moment", 100)})}},
      {"a notification that can no longer be replied to says so",
       {anna(100, "n5", true, {incoming("n5", "latest", 100)})},
       distantPast,
       {{toAnna("n5", "latest", 100, false), true}, {toAnna("n5", "latest", 100, false), false}},
       {anna(100, "n5", false, {incoming("n5", "latest", 100)})}},
      {"conversations stay newest first, equal times in their order",
       {conversation("messages|a", "Messages", "A", 200, "a1", true, {incoming("a1", "x", 200)}),
        conversation("messages|b", "Messages", "B", 100, "b1", true, {incoming("b1", "x", 100)}),
        conversation("messages|c", "Messages", "C", 100, "c1", true, {incoming("c1", "x", 100)})},
       distantPast,
       {{notification("c2", "Messages", "C", "y", 150), true},
        {notification("d1", "Messages", "D", "y", 100), true},
        {notification("b0", "Messages", "B", "older", 50), true}},
       {conversation("messages|a", "Messages", "A", 200, "a1", true, {incoming("a1", "x", 200)}),
        conversation("messages|c", "Messages", "C", 150, "c2", true, {incoming("c1", "x", 100), incoming("c2", "y", 150)}),
        conversation("messages|b", "Messages", "B", 100, "b1", true, {incoming("b0", "older", 50), incoming("b1", "x", 100)}),
        conversation("messages|d", "Messages", "D", 100, "d1", true, {incoming("d1", "y", 100)})}},
  };
}

TEST(ChatIngest, TakesNotificationsIntoConversations) {
  for (const IngestRow& row : ingestRows()) {
    SCOPED_TRACE(row.name);
    std::vector<ChatConversation> list = row.before;
    for (std::size_t i = 0; i < row.steps.size(); ++i) {
      SCOPED_TRACE("notification " + std::to_string(i + 1) + " (" + row.steps[i].notification.id + ")");
      const auto prior = list;
      const bool changed = chats::ingest(list, row.steps[i].notification, row.clearedAt);
      EXPECT_EQ(changed, row.steps[i].changes);
      // "No change" must be true to the letter: the caller saves only on a change.
      if (!changed) {
        EXPECT_EQ(list, prior);
      }
    }
    EXPECT_EQ(list, row.after);
  }
}

TEST(ChatIngest, AMirroredListOfferedAgainChangesNothing) {
  std::vector<ChatNotification> mirrored;
  for (int i = 0; i < 30; ++i) {
    mirrored.push_back(notification("n" + std::to_string(i), i % 2 ? "Messages" : "Google Messages",
                                    "Contact " + std::to_string(i % 7), "text " + std::to_string(i), 10.0 * (i % 11),
                                    i % 3 != 0));
  }
  std::vector<ChatConversation> list;
  for (const auto& n : mirrored) chats::ingest(list, n, distantPast);
  ASSERT_EQ(list.size(), 14u);
  const auto taken = list;
  for (const auto& n : mirrored) EXPECT_FALSE(chats::ingest(list, n, distantPast)) << n.id;
  EXPECT_EQ(list, taken);
}

}  // namespace
}  // namespace orvane
