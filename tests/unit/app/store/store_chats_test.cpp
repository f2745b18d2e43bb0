// Chats as the store keeps them: fed from the hub's notifications, answered through
// the phone, saved after every change and read back at the next start.
#include <gtest/gtest.h>

#include "store_fixture.hpp"

namespace orvane::testing {
namespace {

constexpr std::int64_t t0 = 1767623400000;  // 2026-01-05 14:30:00 UTC, the fake clock's start

class StoreChatsTest : public StoreTest {
 protected:
  void SetUp() override {
    buildAll();
    connect();
  }
  const ChatConversation& only() {
    EXPECT_EQ(store->chatConversations->size(), 1u);
    return store->chatConversations->front();
  }
};

TEST_F(StoreChatsTest, AMessageNotificationBecomesAChatThatIsSaved) {
  post("n1", "Messages", std::string("Ann"), "Lunch?", t0);
  post("n2", "Mail", std::string("Ann"), "Invoice", t0);  // not a messaging app
  const ChatConversation& c = only();
  EXPECT_EQ(c.id, "messages|ann");
  EXPECT_EQ(c.replyNotificationID, "n1");
  ASSERT_EQ(c.messages.size(), 1u);
  EXPECT_EQ(c.messages[0].text, "Lunch?");
  EXPECT_EQ(*store->messageArchiveRevision, 1);
  EXPECT_NE(archiveText().find("\"contact\":\"Ann\""), std::string::npos);
  EXPECT_FALSE(store->messageArchiveError->has_value());
}

TEST_F(StoreChatsTest, TheSameListAgainChangesNothingAndSavesNothing) {
  post("n1", "Messages", std::string("Ann"), "Lunch?", t0);
  post("n2", "Mail", std::string("Bob"), "Invoice", t0);  // the list changes, the chats do not
  hub->serverNotifGone("n2");
  settle();
  EXPECT_EQ(*store->messageArchiveRevision, 1);
}

TEST_F(StoreChatsTest, AReplyGoesOutAsSendingAndTheOutcomeMarksIt) {
  post("n1", "Messages", std::string("Ann"), "Lunch?", t0);
  clock.advance(std::chrono::seconds(30));
  store->replyInConversation("messages|ann", "  Yes!  ");
  EXPECT_EQ(server->callsStartingWith("sendNotifReply"), (std::vector<std::string>{"sendNotifReply n1 Yes!"}));
  ASSERT_EQ(only().messages.size(), 2u);
  EXPECT_EQ(only().messages[1].delivery, ChatMessageLine::Delivery::sending);
  EXPECT_EQ(only().updatedAt, clock.wallNow());

  hub->serverNotifReplyResult("n1", true, std::nullopt);
  settle();
  EXPECT_EQ(only().messages[1].delivery, ChatMessageLine::Delivery::sent);
  EXPECT_NE(archiveText().find("\"delivery\":\"sent\""), std::string::npos);
}

TEST_F(StoreChatsTest, AnEarlierReplysOutcomeNeverMarksALaterReply) {
  post("n1", "Messages", std::string("Ann"), "Lunch?", t0);
  store->replyInConversation("messages|ann", "Yes");
  hub->serverNotifReplyResult("n1", true, std::nullopt);
  settle();
  store->replyInConversation("messages|ann", "At noon?");
  store->replyInConversation("messages|ann", std::string(4097, 'x'));  // never sent
  post("n2", "Mail", std::string("Bob"), "Invoice", t0);  // the list changes
  const auto& lines = only().messages;
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1].delivery, ChatMessageLine::Delivery::sent);
  EXPECT_EQ(lines[2].delivery, ChatMessageLine::Delivery::sending);
  EXPECT_EQ(lines[3].delivery, ChatMessageLine::Delivery::sending);
  EXPECT_EQ(server->callsStartingWith("sendNotifReply").size(), 2u);

  hub->serverNotifReplyResult("n1", false, std::string("expired"));
  settle();
  // The later of the two still sending takes the answer.
  EXPECT_EQ(only().messages[2].delivery, ChatMessageLine::Delivery::sending);
  EXPECT_EQ(only().messages[3].delivery, ChatMessageLine::Delivery::failed);
}

TEST_F(StoreChatsTest, RepliesThatCannotGoAddNothing) {
  post("n1", "Messages", std::string("Ann"), "Lunch?", t0);
  post("n2", "Messages", std::string("Bob"), "Hi", t0 + 1000, /*replyable=*/false);
  const auto before = *store->chatConversations;
  store->replyInConversation("messages|ann", "   ");
  store->replyInConversation("messages|bob", "Hello");  // cannot be replied to
  store->replyInConversation("messages|nobody", "Hello");
  hub->serverStateChanged(LinkState::disconnected("Phone disconnected"));
  main->runUntilIdle();
  store->replyInConversation("messages|ann", "Yes");
  EXPECT_EQ(*store->chatConversations, before);
  EXPECT_TRUE(server->callsStartingWith("sendNotifReply").empty());
}

TEST_F(StoreChatsTest, ClearingEmptiesTheChatsForGoodAndRemovesTheFile) {
  post("n1", "Messages", std::string("Ann"), "Lunch?", t0);
  ASSERT_TRUE(std::filesystem::exists(archivePath()));
  clock.advance(std::chrono::seconds(5));
  store->clearMessages();
  settle();
  EXPECT_TRUE(store->chatConversations->empty());
  EXPECT_EQ(*store->messagesClearedAt, clock.wallNow());
  EXPECT_EQ(defaults->date("orvane.messages.clearedAt"), clock.wallNow());
  EXPECT_FALSE(std::filesystem::exists(archivePath()));

  // The phone still offers the old notification; it does not come back.
  post("n3", "Mail", std::string("Bob"), "Invoice", t0);
  EXPECT_TRUE(store->chatConversations->empty());
  // A later one does.
  post("n4", "Messages", std::string("Ann"), "Still there?", t0 + 60000);
  EXPECT_EQ(only().messages.size(), 1u);
}

TEST_F(StoreChatsTest, ChatsSurviveARestart) {
  post("n1", "Messages", std::string("Ann"), "Lunch?", t0);
  store->replyInConversation("messages|ann", "Yes");
  settle();
  const auto saved = *store->chatConversations;

  bridge.reset();
  store = makeStore();
  ASSERT_EQ(store->chatConversations->size(), 1u);
  const ChatConversation& loaded = store->chatConversations->front();
  EXPECT_EQ(loaded.id, saved[0].id);
  EXPECT_EQ(loaded.replyNotificationID, "n1");
  ASSERT_EQ(loaded.messages.size(), 2u);
  EXPECT_EQ(loaded.messages[1].text, "Yes");
  EXPECT_EQ(loaded.messages[1].delivery, ChatMessageLine::Delivery::sending);
  EXPECT_FALSE(store->messageArchiveError->has_value());
}

TEST_F(StoreChatsTest, AFailedSaveIsShownAndTheNextGoodSaveRemovesIt) {
  folderFails = true;
  post("n1", "Messages", std::string("Ann"), "Lunch?", t0);
  ASSERT_TRUE(store->messageArchiveError->has_value());
  EXPECT_EQ(store->messageArchiveError->value().rfind("Chats could not be saved: ", 0), 0u)
      << store->messageArchiveError->value();
  EXPECT_EQ(only().messages.size(), 1u);  // memory keeps the chat

  folderFails = false;
  post("n2", "Messages", std::string("Ann"), "Hello?", t0 + 1000);
  EXPECT_FALSE(store->messageArchiveError->has_value());
  EXPECT_NE(archiveText().find("Hello?"), std::string::npos);
}

TEST_F(StoreChatsTest, AnUnreadableFileIsReportedAndKeptAside) {
  bridge.reset();
  std::filesystem::create_directories(archivePath().parent_path());
  std::ofstream(archivePath()) << R"([{"id":"messages|ann","app":"Messages","contact":"Ann","updatedAt":1.5,"messages":[]}])";
  store = makeStore();
  EXPECT_TRUE(store->chatConversations->empty());
  ASSERT_TRUE(store->messageArchiveError->has_value());
  EXPECT_EQ(store->messageArchiveError->value().rfind("Saved chats could not be loaded: ", 0), 0u);
  EXPECT_NE(store->messageArchiveError->value().find("messages.json.unreadable-"), std::string::npos)
      << store->messageArchiveError->value();
  bool keptAside = false;
  for (const auto& entry : std::filesystem::directory_iterator(archivePath().parent_path())) {
    keptAside |= entry.path().filename().string().rfind("messages.json.unreadable-", 0) == 0;
  }
  EXPECT_TRUE(keptAside);
}

TEST_F(StoreChatsTest, EchoesSavedBeforeAreRemovedAtTheNextStartAndSaved) {
  bridge.reset();
  ChatConversation c{"messages|ann", "Messages", "Ann", clock.wallNow(), std::string("n1"), true, {}};
  c.messages.push_back({"U1", std::string("n1"), "Yes", true, clock.wallNow(), ChatMessageLine::Delivery::sent});
  c.messages.push_back({"n2|Yes", std::string("n2"), "Yes", false, clock.wallNow() + std::chrono::seconds(2),
                        ChatMessageLine::Delivery::incoming});
  std::filesystem::create_directories(archivePath().parent_path());
  std::ofstream(archivePath()) << archive_format::encode({c});
  store = makeStore();
  ASSERT_EQ(store->chatConversations->size(), 1u);
  EXPECT_EQ(store->chatConversations->front().messages.size(), 1u);
  EXPECT_EQ(*store->messageArchiveRevision, 1);
  settle();
  EXPECT_EQ(archiveText().find("n2|Yes"), std::string::npos);
}

}  // namespace
}  // namespace orvane::testing
