// FreedesktopNotifications against a real dunst on a private display and session bus
// (session_env.sh --server dunst), read back through dunstctl.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "banner_fixture.hpp"
#include "hub_banners.hpp"
#include "session_servers.hpp"
#include "wake/wait_until.hpp"

namespace orvane::testing {
namespace {

// What dunstctl says, or -1 when it fails.
int dunstCount(const std::string& which) {
  auto out = runTool("dunstctl", {"count", which});
  if (!out) return -1;
  return std::stoi(*out);
}

// Dunst's history, newest first: {id, summary, body} of each banner closed.
struct Closed {
  int id;
  std::string summary;
  std::string body;
};
std::vector<Closed> dunstHistory() {
  std::vector<Closed> closed;
  auto out = runTool("dunstctl", {"history"});
  if (!out) return closed;
  const QJsonArray data = QJsonDocument::fromJson(QByteArray::fromStdString(*out)).object()["data"].toArray();
  for (const QJsonValue entry : data.at(0).toArray()) {
    const QJsonObject o = entry.toObject();
    closed.push_back({o["id"].toObject()["data"].toInt(), o["summary"].toObject()["data"].toString().toStdString(),
                      o["body"].toObject()["data"].toString().toStdString()});
  }
  return closed;
}

class DunstBanners : public BannerFixture {
 protected:
  void SetUp() override {
    // dunst of Debian 12 (1.9) cannot clear its history: each case counts from where it is.
    ASSERT_TRUE(done(runTool("dunstctl", {"close-all"})));
    ASSERT_TRUE(waitUntil([&] { return dunstCount("displayed") == 0; }, kPatience));
    closedBefore_ = dunstHistory().size();
    makeAdapter();
    ASSERT_TRUE(waitSettled());
  }
  // The banners closed since the case began, newest first.
  std::vector<Closed> closedSince() {
    auto all = dunstHistory();
    all.resize(all.size() > closedBefore_ ? all.size() - closedBefore_ : 0);
    return all;
  }
  std::size_t closedBefore_ = 0;

  bool displayed(int count) {
    return waitUntil([&] { return banners_->settled() && dunstCount("displayed") == count; }, kPatience);
  }
};

TEST_F(DunstBanners, SameIdentifierReplacesTheBannerInPlace) {
  banners_->add(phoneBanner("7", false));
  ASSERT_TRUE(displayed(1));
  NotificationRequest again = phoneBanner("7", false);
  again.body = "or at one?";
  banners_->add(again);
  ASSERT_TRUE(displayed(1));
  ASSERT_TRUE(done(runTool("dunstctl", {"close-all"})));
  ASSERT_TRUE(waitUntil([&] { return closedSince().size() == 1; }, kPatience));
  EXPECT_EQ(closedSince()[0].summary, "Ada");
  EXPECT_EQ(closedSince()[0].body, "or at one?");
}

TEST_F(DunstBanners, RemoveTakesTheBannerAway) {
  banners_->add(phoneBanner("7", false));
  banners_->add(linkBanner("0b7c", "https://example.org/a"));
  ASSERT_TRUE(displayed(2));
  banners_->remove({"zel-notif-7"});
  ASSERT_TRUE(displayed(1));
  ASSERT_TRUE(done(runTool("dunstctl", {"close-all"})));
  // Both are in the history, the withdrawn one too; only the link was still shown.
  ASSERT_TRUE(waitUntil([&] { return closedSince().size() == 2; }, kPatience));
  EXPECT_EQ(closedSince()[0].body, "https://example.org/a");
  EXPECT_TRUE(responses_.empty()) << "a banner the hub withdrew is no dismissal by the user";
}

TEST_F(DunstBanners, TheUserClosingABannerIsADismissal) {
  banners_->add(phoneBanner("7", false));
  ASSERT_TRUE(displayed(1));
  ASSERT_TRUE(done(runTool("dunstctl", {"close"})));
  ASSERT_TRUE(waitForResponses(1));
  EXPECT_EQ(responses_[0].requestIdentifier, "zel-notif-7");
  EXPECT_EQ(responses_[0].actionIdentifier, "dismiss");
  EXPECT_EQ(responses_[0].userInfo.at("notif_id"), "7");
}

TEST_F(DunstBanners, AClickIsTheDefaultActionAndNoDismissal) {
  banners_->add(linkBanner("0b7c", "https://example.org/a"));
  ASSERT_TRUE(displayed(1));
  ASSERT_TRUE(done(runTool("dunstctl", {"action", "0"})));
  ASSERT_TRUE(waitForResponses(1));
  EXPECT_EQ(responses_[0].actionIdentifier, "default");
  EXPECT_EQ(responses_[0].userInfo.at("url"), "https://example.org/a");
  // dunst 1.9 leaves the banner up after the click; the user closing it then is no
  // second answer. dunst's signals come in order, so the marker's dismissal comes after
  // anything it said about the first banner.
  ASSERT_TRUE(done(runTool("dunstctl", {"close"})));
  ASSERT_TRUE(displayed(0));
  banners_->add(phoneBanner("8", false));
  ASSERT_TRUE(displayed(1));
  ASSERT_TRUE(done(runTool("dunstctl", {"close"})));
  ASSERT_TRUE(waitForResponses(2));
  ASSERT_EQ(responses_.size(), 2u);
  EXPECT_EQ(responses_[1].requestIdentifier, "zel-notif-8");
}

}  // namespace
}  // namespace orvane::testing
