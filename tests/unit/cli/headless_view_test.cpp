// The headless program's view of the store and the hub: which changes become printed
// events, once each and in order.
#include <gtest/gtest.h>

#include <cstdio>

#include "../app/store/store_fixture.hpp"
#include "cli/headless_commands.hpp"
#include "cli/headless_view.hpp"

namespace orvane::testing {
namespace {

class HeadlessViewTest : public StoreTest {
 protected:
  void SetUp() override {
    out_ = open_memstream(&buffer_, &size_);
    ASSERT_NE(out_, nullptr);
    printer_ = std::make_shared<cli::EventPrinter>(true, out_);
    view_ = std::make_shared<cli::HeadlessView>(printer_);
    defaults->set("zel.clipboard.sync.enabled", true);
    buildAll();
    view_->observe(*store, *hub);
    hub->setEventListener(view_);
  }
  void TearDown() override {
    view_.reset();
    std::fclose(out_);
    std::free(buffer_);
  }
  // The lines printed since the last call.
  std::vector<std::string> printed() {
    std::fflush(out_);
    std::vector<std::string> lines;
    std::string all(buffer_, size_);
    std::size_t start = taken_;
    for (std::size_t end; (end = all.find('\n', start)) != std::string::npos; start = end + 1)
      lines.push_back(all.substr(start, end - start));
    taken_ = start;
    return lines;
  }

  std::shared_ptr<cli::EventPrinter> printer_;
  std::shared_ptr<cli::HeadlessView> view_;

 private:
  std::FILE* out_ = nullptr;
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::size_t taken_ = 0;
};

TEST_F(HeadlessViewTest, ANotificationLineIsWhatTheJsonLibraryWritesForTheEvent) {
  struct Row {
    const char* name;
    std::string id, app;
    std::optional<std::string> title, text;
    std::int64_t time;
    bool replyable;
  };
  std::string controls;
  for (int c = 1; c < 0x20; ++c) controls.push_back(static_cast<char>(c));
  const std::vector<Row> rows = {
      {"plain", "n-1", "Signal", std::string("Ana"), std::string("Dinner at 8?"), 1700000000000, true},
      {"no title, no text", "n-2", "Phone", std::nullopt, std::nullopt, 0, false},
      {"escapes", "n\"3", "a\\b/c", controls, std::string("\x7F end"), -1, false},
      {"non-ASCII", "\u00E9", "Messages \u2014", std::string("\U0001F600"), std::string("caf\u00E9"), 42, true},
      {"invalid UTF-8 goes the library's way", "n-5", "bad\xFF", std::nullopt, std::string("\xC0"), 5, true},
  };
  printed();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    view_->notifPosted(row.id, row.app, row.title, row.text, row.time, row.replyable);
    const auto expected = cli::HeadlessView::notificationEvent(row.id, row.app, row.title, row.text, row.time,
                                                               row.replyable)
                              .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    EXPECT_EQ(printed(), std::vector<std::string>{expected});
  }
}

TEST_F(HeadlessViewTest, AnInvitationIsOneEventAndTheCountdownPrintsNothing) {
  hub->serverInvitationChanged("ZEL1|x", 300, "192.0.2.1", 17431, {"192.0.2.1"}, std::nullopt);
  main->runUntilIdle();
  EXPECT_EQ(printed(), (std::vector<std::string>{
                           R"({"event":"invitation","qrText":"ZEL1|x","expiresIn":300.0,"ip":"192.0.2.1","port":17431,"allIPs":["192.0.2.1"]})"}));
  main->advance(std::chrono::seconds(3));
  EXPECT_TRUE(printed().empty());
}

TEST_F(HeadlessViewTest, PairingEventsCarryBothFieldsOfTheirPair) {
  hub->serverPendingRequest("Pixel 8", "p8");
  hub->serverPendingCleared();
  hub->serverPairedDeviceChanged("Pixel 8", "p8");
  hub->serverPairedDeviceChanged(std::nullopt, std::nullopt);
  main->runUntilIdle();
  EXPECT_EQ(printed(), (std::vector<std::string>{
                           R"({"event":"pending","deviceName":"Pixel 8","deviceID":"p8"})",
                           R"({"event":"pendingCleared"})",
                           R"({"event":"pairedDevice","name":"Pixel 8","id":"p8"})",
                           R"({"event":"pairedDevice","name":null,"id":null})",
                       }));
}

TEST_F(HeadlessViewTest, EachNewHistoryEntryIsOneClipboardEvent) {
  connect();
  printed();
  pasteboard->setString("hello");
  main->advance(std::chrono::milliseconds(750));
  hub->serverClipboardReceived("from the phone", "c1", "phone");
  main->runUntilIdle();
  hub->clearClipHistory();
  EXPECT_EQ(printed(), (std::vector<std::string>{
                           R"({"event":"clipboard","direction":"sent","text":"hello"})",
                           R"({"event":"clipboard","direction":"received","text":"from the phone"})",
                       }))
      << "emptying the history prints nothing";
  // The same text again is a new entry at the top: printed again.
  pasteboard->setString("hello");
  main->advance(std::chrono::milliseconds(750));
  EXPECT_EQ(printed(), (std::vector<std::string>{R"({"event":"clipboard","direction":"sent","text":"hello"})"}));
}

// Lists that were empty already print nothing when the phone's history is cleared.
TEST_F(HeadlessViewTest, AliasStaleAuthAndHistoryClearedAreReported) {
  hub->renameDevice("  Desk ");
  hub->serverAuthRefused("old", "credential_rejected");
  hub->serverHistoryCleared();
  main->runUntilIdle();
  const auto lines = printed();
  EXPECT_EQ(lines, (std::vector<std::string>{
                       R"({"event":"alias","alias":"Desk"})",
                       R"({"event":"staleAuth","deviceID":"old","reason":"credential_rejected"})",
                       R"({"event":"historyCleared"})",
                   }));
}

TEST_F(HeadlessViewTest, StatesArePrintedAsTheViewsShowThem) {
  hub->serverStateChanged(LinkState::error("Port 17431 is in use"));
  hub->serverStateChanged(LinkState::error("Port 17431 is in use"));  // no change, no event
  hub->serverStateChanged(LinkState::reconnecting(2));
  hub->serverStateChanged(LinkState::awaitingApproval());
  main->runUntilIdle();
  EXPECT_EQ(printed(), (std::vector<std::string>{
                           R"({"event":"state","state":"failed","title":"Error","reason":"Port 17431 is in use"})",
                           R"x({"event":"state","state":"reconnecting","title":"Reconnecting… (2)","attempt":2})x",
                           R"({"event":"state","state":"awaitingApproval","title":"Awaiting approval","deviceName":"Phone"})",
                       }));
}

TEST_F(HeadlessViewTest, ChatsActivitiesAndArchiveProblemsArePrinted) {
  connect();
  printed();
  post("n1", "Messages", std::string("Ann"), "Lunch?", 1767623400000);
  const auto lines = printed();
  ASSERT_EQ(lines.size(), 3u);  // the list, the chats made from it, the notification event
  EXPECT_EQ(lines[1],
            R"({"event":"chats","items":[{"id":"messages|ann","title":"Ann","app":"Messages","updatedAt":1767623400.0,)"
            R"("canReply":true,"messages":[{"id":"n1|Lunch?","text":"Lunch?","isOutgoing":false,"sentAt":1767623400.0,)"
            R"("delivery":"incoming"}]}]})");

  store->sendLink("https://example.org/");
  store->record(BridgeActivity::Kind::clipboard, BridgeActivity::Direction::toMac, "Copied from history");
  std::vector<std::string> activities;
  for (const auto& line : printed()) {
    const auto event = nlohmann::json::parse(line);
    if (event["event"] == "activity") activities.push_back(event["kind"].get<std::string>() + " " +
                                                           event["direction"].get<std::string>() + " " +
                                                           event["summary"].get<std::string>());
  }
  EXPECT_EQ(activities, (std::vector<std::string>{"link toPhone https://example.org/",
                                                  "clipboard toMac Copied from history"}));

  folderFails = true;
  post("n2", "Messages", std::string("Ann"), "Hello?", 1767623401000);
  const auto last = printed().back();
  EXPECT_EQ(last.rfind(R"({"event":"archiveError","text":"Chats could not be saved: )", 0), 0u) << last;
}

TEST_F(HeadlessViewTest, PlayersArePrintedWhenWhatTheyShowChanges) {
  connect();
  printed();
  ASSERT_TRUE(macMedia->onChange);
  const MacMediaObserver::Track track{"Music", std::string("Song"), std::string("Band"), std::nullopt, true, Bytes{1, 2, 3}};
  macMedia->onChange(track);
  clock.advance(std::chrono::seconds(6));
  macMedia->onChange(track);  // handed over again: the same to a person
  main->runUntilIdle();
  hub->serverMediaChanged(std::string("Podcasts"), std::string("Episode 4"), std::nullopt, std::nullopt, false,
                          std::nullopt);
  hub->serverMediaCommandResult(MediaKeyPoster::Dispatch::noChangeNeeded);
  main->runUntilIdle();
  macMedia->onChange(std::nullopt);
  main->runUntilIdle();
  std::vector<std::string> media;
  for (const auto& line : printed()) {
    if (line.find("\"macTrack\"") != std::string::npos || line.find("\"phoneMedia\"") != std::string::npos ||
        line.find("\"mediaDispatch\"") != std::string::npos) {
      media.push_back(line);
    }
  }
  EXPECT_EQ(media, (std::vector<std::string>{
                       R"({"event":"macTrack","track":{"app":"Music","title":"Song","artist":"Band","album":null,"playing":true,"artworkBytes":3}})",
                       R"({"event":"phoneMedia","media":{"app":"Podcasts","title":"Episode 4","artist":null,"album":null,"playing":false,"artworkBytes":null}})",
                       R"({"event":"mediaDispatch","result":"noChangeNeeded"})",
                       R"({"event":"macTrack","track":null})",
                   }));
}

class HeadlessCommandsTest : public HeadlessViewTest {
 protected:
  void SetUp() override {
    HeadlessViewTest::SetUp();
    commands_ = std::make_unique<cli::HeadlessCommands>(store, hub, view_, printer_);
  }
  void run(const std::string& line) { EXPECT_EQ(commands_->run(line), cli::HeadlessCommands::Outcome::done) << line; }
  std::unique_ptr<cli::HeadlessCommands> commands_;
};

TEST_F(HeadlessCommandsTest, CommandsBecomeActionsOnTheStore) {
  connect();
  post("n1", "Messages", std::string("Ann"), "Lunch?", 1767623400000);
  server->calls.clear();
  for (const char* line : {"approve", "deny", "new-code", "reconnect", "disconnect", "send-message hi there",
                           "send-link example.org", "reply n1 on my way", "chat-reply messages|ann Yes please",
                           "dismiss n1", "clipboard on", "forget"}) {
    run(line);
  }
  EXPECT_EQ(server->calls, (std::vector<std::string>{
                               "approvePending", "denyPending", "regenerateInvitation", "restart",
                               "requestPhoneReconnect", "disconnectSession", "sendTestMessage hi there",
                               "sendTestUrl https://example.org", "sendNotifReply n1 on my way",
                               "sendNotifReply n1 Yes please", "sendNotifDismiss n1", "setClipboardEnabled 1",
                               "forgetPaired"}));
  EXPECT_EQ(store->chatConversations->front().messages.back().text, "Yes please");
  EXPECT_EQ(commands_->run("quit"), cli::HeadlessCommands::Outcome::quit);
}

TEST_F(HeadlessCommandsTest, PhoneMediaCommandsGoToThePhonesPlayer) {
  run("phone-media play");  // not connected: nothing goes
  connect();
  hub->serverMediaChanged(std::string("Podcasts"), std::string("Episode 4"), std::nullopt, std::nullopt, true,
                          std::nullopt);
  main->runUntilIdle();
  server->calls.clear();
  for (const char* line : {"phone-media pause", "phone-media pause", "phone-media play", "phone-media next",
                           "phone-media prev", "phone-media stop"}) {
    run(line);
  }
  EXPECT_EQ(server->calls, (std::vector<std::string>{"sendMediaCommand pause", "sendMediaCommand pause",
                                                     "sendMediaCommand play", "sendMediaCommand next",
                                                     "sendMediaCommand prev"}));
  EXPECT_TRUE((*store->media)->isPlaying);  // paused, then played again, as shown at once
}

TEST_F(HeadlessCommandsTest, ChatCommandsListReplyAndClear) {
  connect();
  post("n1", "Messages", std::string("Ann"), "Lunch?", 1767623400000);
  printed();
  run("chats");
  auto lines = printed();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind(R"({"event":"chats","items":[{"id":"messages|ann")", 0), 0u);

  run("chat-reply messages|nobody Hi");
  run("chat-reply messages|ann");
  run("chat-reply messages|ann   ");
  EXPECT_TRUE(server->callsStartingWith("sendNotifReply").empty());

  // Contacts have spaces in their names; the longest id that fits is the one meant.
  post("n2", "Messages", std::string("Jane"), "Hi", 1767623401000);
  post("n3", "Messages", std::string("Jane Doe"), "Hello", 1767623402000);
  run("chat-reply messages|jane doe Yes please");
  run("chat-reply messages|jane Hi Jane");
  EXPECT_EQ(server->callsStartingWith("sendNotifReply"),
            (std::vector<std::string>{"sendNotifReply n3 Yes please", "sendNotifReply n2 Hi Jane"}));
  printed();

  run("clear-chats");
  settle();
  EXPECT_TRUE(store->chatConversations->empty());
  EXPECT_EQ(printed(), (std::vector<std::string>{R"({"event":"chats","items":[]})"}));
}

}  // namespace
}  // namespace orvane::testing
