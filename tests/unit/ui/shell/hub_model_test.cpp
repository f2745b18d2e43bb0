// The hub window's model over a real hub, store and bridge on a manual main queue: what
// the notifications column lists while the Messages pane is seen, replies from a card
// and trying them again, the disconnect question, the link composer, copying from the
// clipboard history and the column's fold.
#include "ui/viewmodels/hub_model.hpp"

#include <gtest/gtest.h>

#include "ui_store_fixture.hpp"
#include "ui/viewmodels/desktop_model.hpp"

namespace orvane::testing {
namespace {

class HubModelTest : public UiStoreTest {
 protected:
  void SetUp() override {
    buildWithDesktop();
    model = makeModel();
    settle();
  }

  std::unique_ptr<HubModel> makeModel() {
    HubModel::Setup setup;
    setup.store = store;
    setup.hub = hub;
    setup.defaults = defaults;
    setup.header = header;
    setup.desktop = desktop.get();
    setup.clock = &clock;
    setup.versionText = "0.1.0";
    setup.openLink = [this](const std::string& url) { opened.push_back(url); };
    return std::make_unique<HubModel>(std::move(setup));
  }


  std::int64_t nowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(clock.wallNow().time_since_epoch()).count();
  }

  QStringList shownNotifications() const {
    QStringList ids;
    for (int i = 0; i < model->notifications()->count(); ++i) ids << model->notifications()->row(i).value(0).toString();
    return ids;
  }


  std::shared_ptr<HeaderOptions> header = std::make_shared<HeaderOptions>(defaults);
  std::unique_ptr<HubModel> model;
  std::vector<std::string> opened;
};

TEST_F(HubModelTest, MessagesNotificationsLeaveTheColumnOnlyWhileTheMessagesPaneIsSeen) {
  connectPhone();
  post("n-1", "Signal", std::string("Ana"), "Dinner?", nowMs());
  post("n-2", " messages ", std::string("Jonas"), "At the office?", nowMs() + 1);
  EXPECT_EQ(shownNotifications(), QStringList({"n-2", "n-1"})) << "newest first, all shown while the window is hidden";
  EXPECT_FALSE(hub->suppressMessagesAppNotifications());

  struct Row {
    bool visible, active;
    int tab;
    QStringList shown;
    bool toldHub;
  };
  const std::vector<Row> rows{
      {true, true, 0, {"n-1"}, true},           // Messages selected in the active window
      {true, true, 1, {"n-2", "n-1"}, false},   // another tab
      {true, true, 0, {"n-1"}, true},           // and back
      {true, false, 0, {"n-2", "n-1"}, false},  // the window loses the focus
      {false, false, 0, {"n-2", "n-1"}, false},  // hidden
  };
  for (const Row& row : rows) {
    desktop->selectTab(row.tab);
    model->setWindowState(row.visible, row.active);
    settle();
    EXPECT_EQ(shownNotifications(), row.shown) << row.visible << row.active << row.tab;
    EXPECT_EQ(hub->suppressMessagesAppNotifications(), row.toldHub) << row.visible << row.active << row.tab;
  }
}

TEST_F(HubModelTest, ACardsReplyIsTrimmedSentAndOfferedAgainWhenThePhoneSaysItFailed) {
  connectPhone();
  post("n-1", "Signal", std::string("Ana"), "Dinner?", nowMs());
  EXPECT_FALSE(model->replyToNotification("n-1", " \n "));
  settle();
  EXPECT_TRUE(serverCalls("sendNotifReply").empty()) << "a blank reply sends nothing";

  EXPECT_TRUE(model->replyToNotification("n-1", "  On my way\n"));
  settle();
  EXPECT_EQ(serverCalls("sendNotifReply"), std::vector<std::string>{"sendNotifReply n-1 On my way"});

  hub->serverNotifReplyResult("n-1", false, std::string("The app closed the conversation"));
  settle();
  auto* cards = model->notifications();
  EXPECT_TRUE(cards->value(QStringLiteral("n-1"), "replyFailed").toBool());
  EXPECT_EQ(cards->value(QStringLiteral("n-1"), "replyFailure").toString(),
            QStringLiteral("Reply not sent: The app closed the conversation"));
  EXPECT_TRUE(cards->value(QStringLiteral("n-1"), "canRetry").toBool());

  model->retryNotificationReply("n-1");
  settle();
  EXPECT_EQ(serverCalls("sendNotifReply").size(), 2u);
  EXPECT_EQ(serverCalls("sendNotifReply").back(), "sendNotifReply n-1 On my way");
  EXPECT_FALSE(cards->value(QStringLiteral("n-1"), "replyFailed").toBool()) << "a new try clears the failure";

  // Nothing to try again for a card this window never replied through.
  post("n-2", "Signal", std::string("Mia"), "Hi", nowMs());
  model->retryNotificationReply("n-2");
  settle();
  EXPECT_EQ(serverCalls("sendNotifReply").size(), 2u);
}

TEST_F(HubModelTest, DisconnectingAsksFirstAndCancellingSendsNothing) {
  connectPhone();
  EXPECT_EQ(model->property("primaryTitle").toString(), QStringLiteral("Disconnect"));
  model->pressPrimary();
  EXPECT_EQ(model->property("confirmTitle").toString(), QStringLiteral("Disconnect from this phone?"));
  EXPECT_EQ(model->property("confirmMessage").toString(),
            QStringLiteral("The pairing is kept. You can reconnect at any time."));
  EXPECT_EQ(model->property("confirmButton").toString(), QStringLiteral("Disconnect"));
  model->confirmCancel();
  settle();
  EXPECT_TRUE(model->property("confirmTitle").toString().isEmpty());
  EXPECT_TRUE(serverCalls("disconnectSession").empty());

  model->pressPrimary();
  model->confirmAccept();
  settle();
  EXPECT_EQ(serverCalls("disconnectSession").size(), 1u);
}

TEST_F(HubModelTest, TheDisconnectedPanesReconnectRestartsTheServerAndNudgesThePhone) {
  hub->serverPairedDeviceChanged(std::string("Pixel"), std::string("phone-1"));
  settle();
  EXPECT_EQ(model->property("disconnectedTitle").toString(), QStringLiteral("Not connected"));
  server->calls.clear();
  model->pressDisconnectedButton();
  settle();
  EXPECT_EQ(server->calls, (std::vector<std::string>{"restart", "requestPhoneReconnect"}));
}

TEST_F(HubModelTest, TheLinkComposerSendsTheTrimmedLinkAndKeepsABlankField) {
  connectPhone();
  EXPECT_FALSE(model->canSendLink("  \t"));
  EXPECT_FALSE(model->sendLink("   "));
  EXPECT_TRUE(model->sendLink("  https://example.org/a?b=1 \n"));
  settle();
  EXPECT_EQ(serverCalls("sendTestUrl"), std::vector<std::string>{"sendTestUrl https://example.org/a?b=1"});
  ASSERT_EQ(model->links()->count(), 1);
  EXPECT_EQ(model->links()->row(0).value(3).toString(), QStringLiteral("waiting"));

  model->openLink("https://example.org/a?b=1");
  EXPECT_EQ(opened, std::vector<std::string>{"https://example.org/a?b=1"});
}

TEST_F(HubModelTest, CopyingFromTheHistoryPutsItOnThePasteboardAndMarksIt) {
  connectPhone();
  hub->setClipboard(true);
  settle();
  hub->serverClipboardReceived("from the phone", "c-1", "phone");
  settle();
  ASSERT_EQ(model->clips()->count(), 1);
  pasteboard->setString("something else");
  const QString key = model->clips()->row(0).value(0).toString();
  model->copyClip(key);
  settle();
  EXPECT_EQ(pasteboard->string(), "from the phone");
  EXPECT_EQ(model->property("copiedClip").toString(), QStringLiteral("from the phone"));
  ASSERT_FALSE(store->activities->empty());
  EXPECT_EQ(store->activities->back().summary, "Copied from history");
}

TEST_F(HubModelTest, TheFoldOfTheColumnIsKeptForTheNextWindow) {
  EXPECT_FALSE(model->property("notificationsCollapsed").toBool());
  model->toggleNotifications();
  EXPECT_TRUE(model->property("notificationsCollapsed").toBool());
  EXPECT_TRUE(makeModel()->property("notificationsCollapsed").toBool());
}

TEST_F(HubModelTest, AgesAreCountedFromTheClockAndBroughtUpToDateWhenTheWindowShows) {
  connectPhone();
  post("n-1", "Signal", std::string("Ana"), "Dinner?", nowMs());
  EXPECT_EQ(model->notifications()->value(QStringLiteral("n-1"), "age").toString(), QStringLiteral("just now"));
  clock.advance(std::chrono::seconds(61));
  model->setWindowState(true, true);
  EXPECT_EQ(model->notifications()->value(QStringLiteral("n-1"), "age").toString(), QStringLiteral("1m ago"));
}

TEST_F(HubModelTest, TheHeaderFollowsTheSharedOptions) {
  EXPECT_FALSE(model->property("headerTabs").toBool());
  header->setTabs(true);
  header->setQuickActions(true);
  EXPECT_TRUE(model->property("headerTabs").toBool());
  EXPECT_TRUE(model->property("headerQuickActions").toBool());
  EXPECT_TRUE(defaults->boolOrFalse(HeaderOptions::tabsKey));
  EXPECT_TRUE(*HeaderOptions(defaults).quickActions);
}

}  // namespace
}  // namespace orvane::testing
