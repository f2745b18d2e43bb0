// FreedesktopNotifications with nothing owning org.freedesktop.Notifications
// (session_env.sh --server none): banners are dropped with one line in the log, and a
// server that appears later, and one that replaces it, are used.

#include <gtest/gtest.h>

#include "banner_fixture.hpp"
#include "hub_banners.hpp"
#include "mock_server.hpp"
#include "session_servers.hpp"
#include "wake/wait_until.hpp"

namespace orvane::testing {
namespace {

class NoServerBanners : public BannerFixture {};

TEST_F(NoServerBanners, DropsBannersUntilAServerAppears) {
  makeAdapter();
  ASSERT_TRUE(waitSettled(false));
  for (const char* id : {"1", "2", "3"}) banners_->add(phoneBanner(id, false));
  banners_->remove({"zel-notif-2"});
  EXPECT_FALSE(banners_->available());
  EXPECT_EQ(logged("banners are not shown"), 1u);

  ASSERT_TRUE(done(startServer("mock", {"actions", "body", "inline-reply"})));
  ASSERT_TRUE(waitSettled(true));
  EXPECT_TRUE(banners_->inlineReplies());
  MockServer mock;
  ASSERT_TRUE(done(mock.ready()));
  {
    auto calls = mock.notifyCalls();
    ASSERT_TRUE(done(calls));
    EXPECT_TRUE(calls->empty()) << "banners dropped while there was no server came back";
  }
  banners_->add(phoneBanner("4", true));
  ASSERT_TRUE(waitUntil([&] { return mock.notifyCalls().value_or(std::vector<NotifyCall>{}).size() == 1; }, kPatience));
  EXPECT_EQ(mock.notifyCalls()->at(0).actions.at(4), "inline-reply");

  // Gone again: logged once more, and the next server's capabilities are asked afresh.
  ASSERT_TRUE(done(stopServer()));
  ASSERT_TRUE(waitSettled(false));
  EXPECT_EQ(logged("banners are not shown"), 2u);
  ASSERT_TRUE(done(startServer("mock")));
  ASSERT_TRUE(waitSettled(true));
  EXPECT_FALSE(banners_->inlineReplies());
  MockServer next;
  ASSERT_TRUE(done(next.ready()));
  banners_->add(phoneBanner("4", true));
  ASSERT_TRUE(waitUntil([&] { return next.notifyCalls().value_or(std::vector<NotifyCall>{}).size() == 1; }, kPatience));
  // The banner from the server before is not replaced on this one.
  EXPECT_EQ(next.notifyCalls()->at(0).replacesId, 0u);
  EXPECT_EQ(next.notifyCalls()->at(0).actions.at(4), "zel.notif.replyinput");
}

TEST(NoSessionBus, AddIsHarmlessAndLoggedOnce) {
  // Run by CTest with a session bus address that leads nowhere.
  auto sink = std::make_shared<RecordingLogSink>();
  FreedesktopNotifications banners(Logger(sink, "banners"));
  banners.setCategories(hubCategories());
  banners.add(phoneBanner("1", false));
  banners.add(linkBanner("0b7c", "https://example.org/a"));
  banners.remove({"zel-notif-1"});
  banners.requestAuthorization();
  EXPECT_FALSE(banners.available());
  EXPECT_TRUE(banners.settled());
  ASSERT_EQ(sink->entries().size(), 1u);
  EXPECT_NE(sink->entries()[0].message.find("session bus"), std::string::npos) << sink->entries()[0].message;
}

}  // namespace
}  // namespace orvane::testing
