// FreedesktopNotifications against python-dbusmock's notification daemon on a private
// session bus (session_env.sh --server mock): the exact Notify and CloseNotification
// calls it makes, and the responses to the signals the stand-in sends as the server.

#include <gtest/gtest.h>

#include <stdexcept>

#include "banner_fixture.hpp"
#include "hub_banners.hpp"
#include "mock_server.hpp"
#include "session_servers.hpp"
#include "wake/wait_until.hpp"

namespace orvane::testing {
namespace {

const std::vector<std::string> kInlineCapabilities{"actions", "body", "inline-reply"};

class MockBanners : public BannerFixture {
 protected:
  // The mock offering `capabilities` (its defaults when empty), restarted only when they change.
  void SetUpWith(const std::vector<std::string>& capabilities) {
    static std::vector<std::string> running;
    if (capabilities != running) {
      ASSERT_TRUE(done(stopServer()));
      ASSERT_TRUE(done(startServer("mock", capabilities)));
      running = capabilities;
    }
    mock_ = std::make_unique<MockServer>();
    ASSERT_TRUE(done(mock_->ready()));
    ASSERT_TRUE(done(mock_->clearCalls()));
    makeAdapter();
    ASSERT_TRUE(waitSettled());
  }
  void SetUp() override { SetUpWith({}); }

  // Posts `request` and returns the Notify the server got for it and the banner's number.
  std::pair<NotifyCall, std::uint32_t> post(const NotificationRequest& request) {
    const std::size_t before = notifyCalls().size();
    banners_->add(request);
    EXPECT_TRUE(waitUntil([&] { return banners_->settled() && notifyCalls().size() > before; }, kPatience));
    const auto calls = notifyCalls();
    if (calls.size() <= before) return {};
    const NotifyCall call = calls.back();
    const auto id = mock_->lastId();
    EXPECT_TRUE(done(id));
    return {call, call.replacesId != 0 ? call.replacesId : id.value_or(0)};
  }

  std::vector<NotifyCall> notifyCalls() {
    auto calls = mock_->notifyCalls();
    EXPECT_TRUE(done(calls));
    return calls.value_or(std::vector<NotifyCall>{});
  }

  std::vector<std::uint32_t> closeCalls() {
    auto calls = mock_->closeCalls();
    EXPECT_TRUE(done(calls));
    return calls.value_or(std::vector<std::uint32_t>{});
  }

  std::unique_ptr<MockServer> mock_;
};

class MockInlineBanners : public MockBanners {
 protected:
  void SetUp() override { SetUpWith(kInlineCapabilities); }
};

struct PostedCase {
  const char* name;
  NotificationRequest request;
  QString summary;
  QString body;
  QStringList actions;
  QStringList inlineActions;  // with a server that offers inline replies
};

const PostedCase kPostedCases[] = {
    {"phone", phoneBanner("7", false), "Ada", "lunch at noon?",
     {"default", "Open", "zel.notif.dismiss", "Dismiss"},
     {"default", "Open", "zel.notif.dismiss", "Dismiss"}},
    {"replyable", phoneBanner("8", true), "Ada", "lunch at noon?",
     {"default", "Open", "zel.notif.dismiss", "Dismiss", "zel.notif.replyinput", "Reply"},
     {"default", "Open", "zel.notif.dismiss", "Dismiss", "inline-reply", "Reply"}},
    {"link", linkBanner("0b7c", "https://example.org/a"), "Link from the phone", "https://example.org/a",
     {"default", "Open", "zel.url.open", "Open", "zel.url.copy", "Copy"},
     {"default", "Open", "zel.url.open", "Open", "zel.url.copy", "Copy"}},
    {"unknown category", {"x", "App", std::nullopt, std::nullopt, "nope", {}}, "App", "", {"default", "Open"},
     {"default", "Open"}},
};

void expectPosted(const PostedCase& c, const NotifyCall& call, bool inlineReply) {
  SCOPED_TRACE(c.name);
  EXPECT_EQ(call.appName, QString::fromStdString(c.request.title));
  EXPECT_EQ(call.replacesId, 0u);
  EXPECT_EQ(call.appIcon, QString());
  EXPECT_EQ(call.summary, c.summary);
  EXPECT_EQ(call.body, c.body);
  EXPECT_EQ(call.actions, inlineReply ? c.inlineActions : c.actions);
  EXPECT_EQ(call.hints.value("desktop-entry").toString(), "orvane");
  EXPECT_EQ(call.hints.value("urgency").toUInt(), 1u);
  EXPECT_EQ(call.expireTimeout, -1);
}

TEST_F(MockBanners, PostsEachCategoryWithButtons) {
  EXPECT_FALSE(banners_->inlineReplies());
  for (const PostedCase& c : kPostedCases) expectPosted(c, post(c.request).first, false);
}

TEST_F(MockInlineBanners, PostsTheTextInputAsInlineReply) {
  EXPECT_TRUE(banners_->inlineReplies());
  for (const PostedCase& c : kPostedCases) expectPosted(c, post(c.request).first, true);
}

class MockMarkupBanners : public MockBanners {
 protected:
  void SetUp() override { SetUpWith({"actions", "body", "body-markup"}); }
};

// The phone's text, and a link's query string, are text: a server that reads markup
// gets them escaped, one that does not gets them as they are.
TEST_F(MockMarkupBanners, BodiesAreEscapedForAServerThatReadsMarkup) {
  NotificationRequest request = phoneBanner("m1", false);
  request.body = "a < b & <a href=\"https://evil.example\">c</a>";
  EXPECT_EQ(post(request).first.body, "a &lt; b &amp; &lt;a href=&quot;https://evil.example&quot;&gt;c&lt;/a&gt;");
}

TEST_F(MockInlineBanners, BodiesGoAsTheyAreToAServerWithoutMarkup) {
  NotificationRequest request = phoneBanner("m2", false);
  request.body = "https://example.org/?a=1&b=<2>";
  EXPECT_EQ(post(request).first.body, "https://example.org/?a=1&b=<2>");
}

TEST_F(MockBanners, SameIdentifierReplacesTheBannerShown) {
  const auto [first, id] = post(phoneBanner("7", false));
  NotificationRequest again = phoneBanner("7", false);
  again.body = "or at one?";
  const auto [second, secondId] = post(again);
  EXPECT_EQ(second.replacesId, id);
  EXPECT_EQ(second.body, "or at one?");
  EXPECT_EQ(post(phoneBanner("9", false)).first.replacesId, 0u) << "another identifier is another banner";
  EXPECT_TRUE(closeCalls().empty());
}

TEST_F(MockBanners, ReplacementBeforeTheFirstAnswerWaitsForItsNumber) {
  banners_->add(phoneBanner("7", false));
  NotificationRequest again = phoneBanner("7", false);
  again.body = "or at one?";
  banners_->add(again);
  ASSERT_TRUE(waitUntil([&] { return banners_->settled() && notifyCalls().size() == 2; }, kPatience));
  const auto calls = notifyCalls();
  const auto id = mock_->lastId();
  ASSERT_TRUE(done(id));
  EXPECT_EQ(calls[0].replacesId, 0u);
  EXPECT_EQ(calls[1].replacesId, *id);
  EXPECT_EQ(calls[1].body, "or at one?");
}

TEST_F(MockBanners, RemoveClosesTheBanner) {
  const auto id = post(phoneBanner("7", false)).second;
  post(phoneBanner("8", false));
  banners_->remove({"zel-notif-7", "never-posted"});
  ASSERT_TRUE(waitUntil([&] { return !closeCalls().empty(); }, kPatience));
  EXPECT_EQ(closeCalls(), std::vector<std::uint32_t>{id});
  // Forgotten: the same identifier is a new banner now.
  EXPECT_EQ(post(phoneBanner("7", false)).first.replacesId, 0u);
}

TEST_F(MockBanners, RemoveBeforeTheAnswerClosesOnceTheNumberComes) {
  banners_->add(phoneBanner("7", false));
  banners_->remove({"zel-notif-7"});
  ASSERT_TRUE(waitUntil([&] { return !closeCalls().empty(); }, kPatience));
  const auto id = mock_->lastId();
  ASSERT_TRUE(done(id));
  EXPECT_EQ(closeCalls(), std::vector<std::uint32_t>{*id});
}

struct ActionCase {
  const char* name;
  NotificationRequest request;
  std::string key;
  std::string action;
};

const ActionCase kActionCases[] = {
    {"dismiss", phoneBanner("7", false), "zel.notif.dismiss", "zel.notif.dismiss"},
    {"banner click", phoneBanner("7", false), "default", "default"},
    {"reply in the hub", phoneBanner("7", true), "zel.notif.replyinput", "zel.notif.replyinput"},
    {"open", linkBanner("0b7c", "https://example.org/a"), "zel.url.open", "zel.url.open"},
    {"copy", linkBanner("0b7c", "https://example.org/a"), "zel.url.copy", "zel.url.copy"},
    {"link click", linkBanner("0b7c", "https://example.org/a"), "default", "default"},
};

TEST_F(MockBanners, ActionsReachTheHandlerWithTheirBanner) {
  for (const ActionCase& c : kActionCases) {
    SCOPED_TRACE(c.name);
    responses_.clear();
    const auto id = post(c.request).second;
    ASSERT_TRUE(done(mock_->actionInvoked(id, c.key)));
    ASSERT_TRUE(waitForResponses(1));
    EXPECT_EQ(responses_[0].requestIdentifier, c.request.identifier);
    EXPECT_EQ(responses_[0].actionIdentifier, c.action);
    EXPECT_EQ(responses_[0].userInfo, c.request.userInfo);
    EXPECT_FALSE(responses_[0].typedText);
    banners_->remove({c.request.identifier});
  }
}

TEST_F(MockInlineBanners, InlineReplyCarriesTheText) {
  const auto id = post(phoneBanner("7", true)).second;
  ASSERT_TRUE(done(mock_->replied(id, "see you there")));
  ASSERT_TRUE(waitForResponses(1));
  EXPECT_EQ(responses_[0].requestIdentifier, "zel-notif-7");
  EXPECT_EQ(responses_[0].actionIdentifier, "zel.notif.replyinput");
  EXPECT_EQ(responses_[0].typedText, "see you there");
  EXPECT_EQ(responses_[0].userInfo, (std::map<std::string, std::string>{{"notif_id", "7"}}));
}

// Each case sends its signal and then a click the adapter must report: once that has
// come, the signal before it (from the same sender, or sent before it) has been handled.
TEST_F(MockBanners, SignalsNotAboutOurBannersAreIgnored) {
  const auto id = post(phoneBanner("7", false)).second;
  ASSERT_TRUE(done(mock_->actionInvokedByImpostor(id, "zel.notif.dismiss")));
  ASSERT_TRUE(done(mock_->actionInvoked(id + 100, "zel.notif.dismiss")));
  ASSERT_TRUE(done(mock_->closed(id + 100, 2)));
  ASSERT_TRUE(done(mock_->actionInvoked(id, "default")));
  ASSERT_TRUE(waitForResponses(1));
  ASSERT_TRUE(done(mock_->actionInvoked(id, "default")));
  ASSERT_TRUE(waitForResponses(2));
  ASSERT_EQ(responses_.size(), 2u);
  for (const auto& r : responses_) EXPECT_EQ(r.actionIdentifier, "default");
}

TEST_F(MockBanners, ClosedByTheUserIsADismissal) {
  struct Case {
    std::uint32_t reason;
    bool dismissal;
  };
  for (const Case c : {Case{1, false}, Case{2, true}, Case{3, false}}) {
    SCOPED_TRACE(c.reason);
    responses_.clear();
    const auto id = post(linkBanner("0b7c", "https://example.org/a")).second;
    const auto marker = post(phoneBanner("7", false)).second;
    ASSERT_TRUE(done(mock_->closed(id, c.reason)));
    // Closed and forgotten: a click on it afterwards is not ours any more.
    ASSERT_TRUE(done(mock_->actionInvoked(id, "default")));
    ASSERT_TRUE(done(mock_->actionInvoked(marker, "default")));
    ASSERT_TRUE(waitForResponses(c.dismissal ? 2 : 1));
    ASSERT_EQ(responses_.size(), c.dismissal ? 2u : 1u);
    if (c.dismissal) {
      EXPECT_EQ(responses_[0].requestIdentifier, "0b7c");
      EXPECT_EQ(responses_[0].actionIdentifier, "dismiss");
      EXPECT_EQ(responses_[0].userInfo.at("url"), "https://example.org/a");
    }
    EXPECT_EQ(responses_.back().requestIdentifier, "zel-notif-7");
    banners_->remove({"zel-notif-7"});
  }
}

TEST_F(MockBanners, ClosingAfterAnActionIsNoDismissal) {
  const auto id = post(phoneBanner("7", false)).second;
  const auto marker = post(phoneBanner("8", false)).second;
  ASSERT_TRUE(done(mock_->actionInvoked(id, "zel.notif.dismiss")));
  ASSERT_TRUE(done(mock_->closed(id, 2)));
  ASSERT_TRUE(done(mock_->actionInvoked(marker, "default")));
  ASSERT_TRUE(waitForResponses(2));
  ASSERT_EQ(responses_.size(), 2u);
  EXPECT_EQ(responses_[0].actionIdentifier, "zel.notif.dismiss");
  EXPECT_EQ(responses_[1].requestIdentifier, "zel-notif-8");
}

TEST_F(MockBanners, AThrowingHandlerIsLoggedAndTheNextResponseStillComes) {
  int calls = 0;
  banners_->setResponseHandler([&](const NotificationResponse&) {
    if (++calls == 1) throw std::runtime_error("hub broke");
  });
  const auto id = post(phoneBanner("7", false)).second;
  ASSERT_TRUE(done(mock_->actionInvoked(id, "default")));
  ASSERT_TRUE(done(mock_->actionInvoked(id, "default")));
  ASSERT_TRUE(waitUntil([&] { return calls == 2; }, kPatience));
  EXPECT_EQ(logged("hub broke"), 1u);
}

}  // namespace
}  // namespace orvane::testing
