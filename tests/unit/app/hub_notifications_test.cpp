#include <gtest/gtest.h>

#include "app/link_opening.hpp"
#include "hub_fixture.hpp"

namespace orvane::testing {
namespace {

using std::chrono::milliseconds;

// A connected hub; the server's calls and the banners of the start forgotten.
class HubNotifsTest : public HubTest {
 protected:
  void SetUp() override {
    build();
    connect();
    server->calls.clear();
  }
  void post(const std::string& id, const std::string& app, std::optional<std::string> title,
            std::optional<std::string> text, bool replyable = false) {
    hub->serverNotifPosted(id, app, std::move(title), std::move(text), 1700000000, replyable);
    main->runUntilIdle();
  }
  void receiveUrl(const std::string& url, std::optional<std::string> context = std::nullopt,
                  std::optional<std::string> app = std::nullopt) {
    hub->serverUrlReceived(url, std::move(context), std::move(app));
    main->runUntilIdle();
  }
  void respond(std::map<std::string, std::string> info, std::string action, std::optional<std::string> typed = {}) {
    ASSERT_TRUE(notifications->respond);
    notifications->respond(NotificationResponse{"request", std::move(action), std::move(info), std::move(typed)});
  }
};

TEST_F(HubNotifsTest, CategoriesAreRegisteredAtTheStart) {
  ASSERT_EQ(notifications->categories.size(), 3u);
  std::map<std::string, std::vector<std::string>> actions;
  for (const auto& c : notifications->categories)
    for (const auto& a : c.actions) actions[c.identifier].push_back(a.identifier + " " + a.title);
  EXPECT_EQ(actions["zel.url"], (std::vector<std::string>{"zel.url.open Open", "zel.url.copy Copy"}));
  EXPECT_EQ(actions["zel.notif"], (std::vector<std::string>{"zel.notif.dismiss Dismiss"}));
  EXPECT_EQ(actions["zel.notif.reply"],
            (std::vector<std::string>{"zel.notif.dismiss Dismiss", "zel.notif.replyinput Reply"}));
  const auto& reply = notifications->categories[2].actions[1];
  EXPECT_EQ(reply.kind, NotificationAction::Kind::textInput);
  EXPECT_EQ(reply.textButtonTitle, "Send");
  EXPECT_EQ(reply.textPlaceholder, "Reply\u2026");
}

TEST_F(HubNotifsTest, APostedNotificationIsListedAndShown) {
  post("n1", "Signal", "Ana", "See you at 8", true);
  ASSERT_EQ(hub->notifs->size(), 1u);
  ASSERT_EQ(notifications->added.size(), 1u);
  const NotificationRequest& shown = notifications->added[0];
  EXPECT_EQ(shown.identifier, "zel-notif-n1");
  EXPECT_EQ(shown.title, "Signal");
  EXPECT_EQ(shown.subtitle, "Ana");
  EXPECT_EQ(shown.body, "See you at 8");
  EXPECT_EQ(shown.category, "zel.notif.reply");
  EXPECT_EQ(shown.userInfo, (std::map<std::string, std::string>{{"notif_id", "n1"}}));
  post("n2", "Mail", std::string(""), std::nullopt);
  EXPECT_EQ(notifications->added.back().category, "zel.notif");
  EXPECT_FALSE(notifications->added.back().subtitle) << "an empty title is no subtitle";
  EXPECT_EQ(notifications->authorizationRequests, 1) << "permission is asked once per run";
}

TEST_F(HubNotifsTest, ARepostShowsABannerOnlyWhenItChanged) {
  struct Row {
    const char* name;
    std::optional<std::string> title, text;
    bool replyable;
    bool banner;
  };
  const Row rows[] = {
      {"the same again", "Ana", "hi", false, false},
      {"new text", "Ana", "hi again", false, true},
      {"new title", "Ana B.", "hi again", false, true},
      {"became replyable", "Ana B.", "hi again", true, true},
      {"no longer replyable", "Ana B.", "hi again", false, false},
  };
  post("n1", "Signal", "Ana", "hi");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto banners = notifications->added.size();
    post("n1", "Signal", row.title, row.text, row.replyable);
    EXPECT_EQ(notifications->added.size() - banners, row.banner ? 1u : 0u);
    ASSERT_EQ(hub->notifs->size(), 1u) << "replaced in place, never added";
    EXPECT_EQ(hub->notifs->front().text, row.text);
    EXPECT_EQ(hub->notifs->front().replyable, row.replyable);
  }
}

TEST_F(HubNotifsTest, TheFiftyFirstPushesOutTheOldestNotificationAndLink) {
  for (int i = 0; i < 51; ++i) post("n" + std::to_string(i), "App", "t", std::nullopt);
  ASSERT_EQ(hub->notifs->size(), 50u);
  EXPECT_EQ(hub->notifs->front().id, "n1");
  EXPECT_EQ(hub->notifs->back().id, "n50");
  hub->setAutoOpenLinks(false);
  for (int i = 0; i < 51; ++i) receiveUrl("https://example.com/" + std::to_string(i));
  ASSERT_EQ(hub->urls->size(), 50u);
  EXPECT_EQ(hub->urls->front().url, "https://example.com/1");
  for (int i = 0; i < 60; ++i) hub->serverMessageReceived("m" + std::to_string(i));
  main->runUntilIdle();
  EXPECT_EQ(hub->lines->size(), 60u) << "messages are never dropped";
}

TEST_F(HubNotifsTest, TheOpenMessagesTabKeepsMessagesBannersAwayAndWithdrawsThem) {
  post("m0", "Messages", "Bo", "before the tab");
  post("s0", "Signal", "Cy", "before the tab");
  const auto banners = notifications->added.size();
  hub->setMessagesTabVisibleAndActive(true);
  EXPECT_EQ(notifications->removed, (std::vector<std::string>{"zel-notif-m0"})) << "only Messages banners go";
  for (const char* app : {"Messages", " messages ", "MESSAGES\n"}) {
    SCOPED_TRACE(app);
    post(std::string("m-") + app, app, "Bo", "hi");
  }
  EXPECT_EQ(notifications->added.size(), banners) << "listed, not shown";
  EXPECT_EQ(hub->notifs->size(), 5u);
  post("s1", "Signal", "Cy", "other apps still show");
  EXPECT_EQ(notifications->added.size(), banners + 1);
  hub->setMessagesTabVisibleAndActive(true);
  EXPECT_EQ(notifications->removed.size(), 1u) << "no change, nothing withdrawn again";
  hub->setMessagesTabVisibleAndActive(false);
  post("m9", "Messages", "Bo", "tab closed");
  EXPECT_EQ(notifications->added.back().identifier, "zel-notif-m9");
}

TEST_F(HubNotifsTest, DismissAndReplyGoOutOnlyWhileConnected) {
  post("n1", "Signal", "Ana", "hi", true);
  hub->replyNotif("n1", "  on my way \n");
  EXPECT_EQ(server->calls.back(), "sendNotifReply n1 on my way");
  EXPECT_FALSE(hub->notifs->front().replyResult) << "unchanged until the result";
  hub->replyNotif("n1", "   ");
  hub->replyNotif("n1", std::string(4097, 'x'));
  EXPECT_EQ(server->callsStartingWith("sendNotifReply").size(), 1u) << "empty and over-long replies are not sent";
  hub->serverNotifReplyResult("n1", false, "no_action");
  main->runUntilIdle();
  EXPECT_EQ(hub->notifs->front().replyResult, false);
  EXPECT_EQ(hub->notifs->front().replyDetail, "no_action");
  hub->serverNotifReplyResult("n1", true, "ignored when ok");
  main->runUntilIdle();
  EXPECT_EQ(hub->notifs->front().replyResult, true);
  EXPECT_FALSE(hub->notifs->front().replyDetail);
  // A new reply, even one too long to send, starts without the last one's outcome.
  hub->serverNotifReplyResult("n1", false, "expired");
  main->runUntilIdle();
  hub->replyNotif("n1", std::string(4097, 'x'));
  EXPECT_FALSE(hub->notifs->front().replyResult);
  EXPECT_FALSE(hub->notifs->front().replyDetail);

  hub->serverStateChanged(LinkState::reconnecting(1));
  main->runUntilIdle();
  server->calls.clear();
  hub->dismissNotif("n1");
  EXPECT_EQ(hub->notifs->size(), 1u) << "dismissing while disconnected keeps the entry";
  hub->replyNotif("n1", "later");
  EXPECT_TRUE(server->calls.empty());
  EXPECT_EQ(hub->notifs->front().replyResult, false);
  EXPECT_EQ(hub->notifs->front().replyDetail, "offline");

  connect();
  hub->dismissNotif("n1");
  EXPECT_EQ(server->calls.back(), "sendNotifDismiss n1");
  EXPECT_TRUE(hub->notifs->empty());
}

TEST_F(HubNotifsTest, BannerButtonsDoWhatTheySay) {
  post("n1", "Signal", "Ana", "hi", true);
  respond({{"notif_id", "n1"}}, "zel.notif.replyinput", "typed in place");
  EXPECT_EQ(server->calls.back(), "sendNotifReply n1 typed in place");
  struct Listener final : AppStateEvents {
    void notifPosted(const std::string&, const std::string&, const std::optional<std::string>&,
                     const std::optional<std::string>&, std::int64_t, bool) override {}
    void notifGone(const std::string&) override {}
    void notifReplyResult(const std::string&, bool, const std::optional<std::string>&) override {}
    void messageReceived(const std::string&) override {}
    void urlReceived(const std::string&, const std::optional<std::string>&, const std::optional<std::string>&) override {}
    void messageStatus(const std::string&, bool, const std::optional<std::string>&) override {}
    void urlStatus(const std::string&, bool, const std::optional<std::string>&) override {}
    void historyCleared() override {}
    void wakeChecked(bool) override {}
    void replyRequested(const std::string& id) override { requested.push_back(id); }
    std::vector<std::string> requested;
  };
  auto listener = std::make_shared<Listener>();
  hub->setEventListener(listener);
  respond({{"notif_id", "n1"}}, "zel.notif.replyinput");
  EXPECT_EQ(listener->requested, (std::vector<std::string>{"n1"})) << "no text in place: the window asks";
  respond({{"notif_id", "n1"}}, NotificationResponse::defaultAction);
  respond({{"notif_id", "n1"}}, NotificationResponse::dismissAction);
  EXPECT_EQ(hub->notifs->size(), 1u) << "a click or the desktop closing it changes nothing";
  respond({{"notif_id", "n1"}}, "zel.notif.dismiss");
  EXPECT_EQ(server->calls.back(), "sendNotifDismiss n1");
  EXPECT_TRUE(hub->notifs->empty());
}

TEST_F(HubNotifsTest, ReceivedLinksOpenOnlyWhenSafeAndOtherwiseGetABanner) {
  struct Row {
    const char* name;
    std::string url;
    bool autoOpen;
    bool opens;  // what the desktop answers
    std::optional<std::string> opened;  // what the hub asks the desktop to open
  };
  const Row rows[] = {
      {"https", "https://example.com/a", true, true, "https://example.com/a"},
      {"upper-case scheme", "HTTPS://example.com/b", true, true, "HTTPS://example.com/b"},
      {"a space inside", "https://example.com/a b", true, true, std::nullopt},
      {"another scheme", "ftp://example.com/file", true, true, std::nullopt},
      {"no host", "https://", true, true, std::nullopt},
      {"auto-open off", "https://example.com/c", false, true, std::nullopt},
      {"the desktop cannot open it", "https://example.com/d", true, false, "https://example.com/d"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    hub->setAutoOpenLinks(row.autoOpen);
    workspace->opens = row.opens;
    workspace->opened_urls.clear();
    const auto banners = notifications->added.size();
    receiveUrl(row.url);
    const bool opened = row.opened && row.opens;
    if (row.opened) {
      ASSERT_EQ(workspace->opened_urls.size(), 1u);
      EXPECT_EQ(workspace->opened_urls[0], *row.opened);
    } else {
      EXPECT_TRUE(workspace->opened_urls.empty());
    }
    EXPECT_EQ(notifications->added.size() - banners, opened ? 0u : 1u);
    EXPECT_EQ(hub->urls->back().url, row.url);
    EXPECT_FALSE(hub->urls->back().outgoing);
  }
  EXPECT_EQ(defaults->boolean("orvane.links.autoOpen"), true) << "the setting is stored";
}

TEST_F(HubNotifsTest, ALinkBannerNamesItsSourceAndItsButtonsWork) {
  hub->setAutoOpenLinks(false);
  receiveUrl("https://news.example.org/story?id=4", "Read this", "Chrome");
  const NotificationRequest& shown = notifications->added.back();
  EXPECT_EQ(shown.title, "Chrome");
  EXPECT_EQ(shown.subtitle, "Read this");
  EXPECT_EQ(shown.body, "https://news.example.org/story?id=4");
  EXPECT_EQ(shown.category, "zel.url");
  EXPECT_EQ(shown.userInfo, (std::map<std::string, std::string>{{"url", "https://news.example.org/story?id=4"}}));
  EXPECT_EQ(shown.identifier.size(), 36u);
  receiveUrl("https://user@host.example:8443/x");
  EXPECT_EQ(notifications->added.back().title, "host.example") << "no app: the host";
  EXPECT_EQ(LinkOpening::bannerTitle("mailto:a@b", std::nullopt), "Shared link");

  respond({{"url", "https://news.example.org/story?id=4"}}, "zel.url.open");
  respond({{"url", "https://news.example.org/story?id=4"}}, NotificationResponse::defaultAction);
  EXPECT_EQ(workspace->opened_urls.size(), 2u);

  // Copy puts the link on the pasteboard, and the clipboard sync does not send it back.
  hub->setClipboard(true);
  server->calls.clear();
  respond({{"url", "https://news.example.org/story?id=4"}}, "zel.url.copy");
  EXPECT_EQ(pasteboard->string(), "https://news.example.org/story?id=4");
  main->advance(milliseconds(750));
  EXPECT_TRUE(server->callsStartingWith("sendClipboardText").empty());
  respond({{"url", ""}}, "zel.url.copy");
  EXPECT_EQ(pasteboard->string(), "https://news.example.org/story?id=4") << "an empty link copies nothing";
}

TEST_F(HubNotifsTest, OutgoingLinesAreBoundToTheirOwnEnvelopes) {
  hub->send("first");
  hub->send("  second  ");
  hub->send("   ");
  ASSERT_EQ(hub->lines->size(), 2u);
  const std::string firstPending = (*hub->lines)[0].id;
  const std::string secondPending = (*hub->lines)[1].id;
  EXPECT_TRUE(firstPending.starts_with("pending-"));
  EXPECT_EQ((*hub->lines)[1].text, "second");
  EXPECT_EQ(server->callsStartingWith("sendTestMessage"),
            (std::vector<std::string>{"sendTestMessage first", "sendTestMessage second"}));
  // The server reports the second send first: each line still gets its own envelope.
  hub->serverMessageStatus("sent:env-2", false, secondPending);
  hub->serverMessageStatus("sent:env-1", false, firstPending);
  hub->serverMessageStatus("env-2", true, std::nullopt);
  hub->serverMessageStatus("env-1", false, std::nullopt);
  hub->serverMessageStatus("env-unknown", true, std::nullopt);
  main->runUntilIdle();
  EXPECT_EQ((*hub->lines)[0], (ChatLine{"env-1", true, "first", false}));
  EXPECT_EQ((*hub->lines)[1], (ChatLine{"env-2", true, "second", true}));

  hub->sendUrl("example.com/page");
  ASSERT_EQ(hub->urls->size(), 1u);
  EXPECT_EQ(hub->urls->back().url, "https://example.com/page") << "normalised before it leaves";
  hub->serverUrlStatus("sent:env-3", false, std::nullopt);  // no pending id: the last pending line
  hub->serverUrlStatus("env-3", true, std::nullopt);
  main->runUntilIdle();
  EXPECT_EQ(hub->urls->back().id, "env-3");
  EXPECT_EQ(hub->urls->back().acked, true);

  // A carried pending id whose line is gone binds nothing, not another pending line.
  hub->sendUrl("https://example.com/other");
  hub->serverUrlStatus("sent:env-4", false, std::string("pending-pushed-out"));
  main->runUntilIdle();
  EXPECT_TRUE(hub->urls->back().id.starts_with("pending-"));

  hub->serverStateChanged(LinkState::disconnected("Listening on port 17431"));
  main->runUntilIdle();
  hub->send("offline");
  hub->sendUrl("https://example.com");
  EXPECT_EQ(hub->lines->size(), 2u) << "nothing is sent or listed while disconnected";
  EXPECT_EQ(hub->urls->size(), 2u);
}

TEST_F(HubNotifsTest, GoneAndHistoryClearedEmptyTheLists) {
  post("n1", "Signal", "Ana", "hi");
  post("n2", "Signal", "Bo", "hi");
  hub->serverNotifGone("n1");
  main->runUntilIdle();
  ASSERT_EQ(hub->notifs->size(), 1u);
  EXPECT_EQ(hub->notifs->front().id, "n2");
  EXPECT_TRUE(notifications->removed.empty()) << "the banner is not touched";
  hub->serverMessageReceived("hello");
  hub->serverHistoryCleared();
  main->runUntilIdle();
  EXPECT_TRUE(hub->notifs->empty());
  EXPECT_TRUE(hub->lines->empty());
  EXPECT_TRUE(hub->urls->empty());
}

}  // namespace
}  // namespace orvane::testing
