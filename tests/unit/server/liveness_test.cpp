// The 5-second tick, the silence watchdog, keep-alive pings and acknowledged sends,
// driven by the fake clock.
#include <gtest/gtest.h>

#include "server_harness.hpp"

namespace orvane::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

class Liveness : public ::testing::Test {
 protected:
  void SetUp() override {
    h.storePairedDevice();
    h.start();
    conn = h.authenticatedConnection();
    conn->clearSent();
    h.delegate->clear();
  }
  std::vector<std::string> typesSent() const {
    std::vector<std::string> out;
    for (const auto& e : conn->sentEnvelopes()) out.push_back(e.type);
    return out;
  }
  // The id of the last tracked envelope, from its "sent:" report.
  std::string lastSentID(std::string_view kind) const {
    auto events = h.delegate->eventsStartingWith(std::string(kind) + " sent:");
    EXPECT_FALSE(events.empty());
    if (events.empty()) return {};
    const std::string& e = events.back();
    auto start = e.find("sent:") + 5;
    return e.substr(start, e.find(' ', start) - start);
  }
  // No health reports here: they would refresh the send time like any frame.
  ServerHarness h{false};
  std::shared_ptr<FakeConnection> conn;
};

TEST_F(Liveness, SilentSessionIsDroppedAtTheFirstTickAfterSixtySeconds) {
  h.server->sendTestMessage("waiting", "pending-1");
  h.run();
  h.advance(seconds(60));
  EXPECT_TRUE(h.inspect().authedPeerID.has_value()) << "60 s of silence is not yet too long";
  h.advance(seconds(5));
  EXPECT_FALSE(h.inspect().authedPeerID.has_value());
  EXPECT_TRUE(conn->cancelled);
  EXPECT_TRUE(h.log->contains("watchdog: authed session silent, dropping"));
  EXPECT_TRUE(h.delegate->has("state disconnected Phone went silent \u2014 still listening"));
}

TEST_F(Liveness, PingAfterTwentySecondsWithoutASendAndPongKeepsItAlive) {
  h.advance(seconds(20));
  auto types = typesSent();
  EXPECT_EQ(std::count(types.begin(), types.end(), "ping"), 0) << "20 s is not more than 20 s";
  h.advance(seconds(5));
  types = typesSent();
  EXPECT_EQ(std::count(types.begin(), types.end(), "ping"), 1);
  for (int i = 0; i < 40; ++i) {
    h.advance(seconds(5));
    conn->deliverEnvelope("pong");
    h.run();
  }
  EXPECT_FALSE(conn->cancelled) << "a phone that answers stays connected";
  EXPECT_TRUE(h.inspect().authedPeerID.has_value());
}

TEST_F(Liveness, SilentUnauthenticatedConnectionIsClosedWithoutStateChange) {
  auto loose = h.connect();
  h.delegate->clear();
  h.advance(seconds(61));
  conn->deliverEnvelope("pong");  // the session itself stays alive
  h.run();
  h.advance(seconds(4));
  EXPECT_TRUE(loose->cancelled);
  EXPECT_FALSE(h.hasPeer(loose->id()));
  EXPECT_TRUE(h.delegate->eventsStartingWith("state").empty());
}

TEST_F(Liveness, AckWithinEightSecondsIsReportedAckedAfterItIsReportedFailed) {
  struct Row {
    milliseconds ackAt;
    bool acked;
  } rows[] = {{milliseconds(7000), true}, {milliseconds(9000), false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.ackAt.count());
    h.delegate->clear();
    h.server->sendTestMessage("hello", "pending-A");
    h.run();
    const std::string id = lastSentID("messageStatus");
    EXPECT_TRUE(h.delegate->has("messageStatus sent:" + id + " acked pending=pending-A"));
    h.advance(row.ackAt);
    conn->deliverEnvelope("ack", {{"ack_for", id}});
    h.run();
    auto statuses = h.delegate->eventsStartingWith("messageStatus " + id);
    ASSERT_EQ(statuses.size(), 1u) << "reported once";
    EXPECT_EQ(statuses[0], "messageStatus " + id + (row.acked ? " acked" : " failed"));
    EXPECT_EQ(h.inspect().waitingAckCount, 0u);
  }
}

TEST_F(Liveness, EachSendIsBoundToItsOwnPendingLine) {
  h.server->sendTestUrl("https://a.example", "pending-1");
  h.server->sendTestUrl("https://b.example", "pending-2");
  h.run();
  auto sent = h.delegate->eventsStartingWith("urlStatus sent:");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_TRUE(sent[0].ends_with("pending=pending-1"));
  EXPECT_TRUE(sent[1].ends_with("pending=pending-2"));
  auto envelopes = conn->sentEnvelopes();
  ASSERT_EQ(envelopes.size(), 2u);
  EXPECT_NE(sent[0].find(envelopes[0].id), std::string::npos);
  EXPECT_EQ(envelopes[0].body, (Body{{"url", "https://a.example"}}));
}

TEST_F(Liveness, TimeoutOfALinkReportsOnlyTheLinkAndAMessageReportsBoth) {
  h.server->sendTestUrl("https://a.example");
  h.server->sendTestMessage("m");
  h.run();
  const std::string urlID = lastSentID("urlStatus");
  const std::string msgID = lastSentID("messageStatus");
  h.advance(milliseconds(8000));
  EXPECT_TRUE(h.delegate->has("urlStatus " + urlID + " failed"));
  EXPECT_FALSE(h.delegate->has("messageStatus " + urlID + " failed"));
  EXPECT_TRUE(h.delegate->has("messageStatus " + msgID + " failed"));
  EXPECT_TRUE(h.delegate->has("urlStatus " + msgID + " failed"));
}

TEST_F(Liveness, EndingTheSessionSettlesAtOnceAndAnAckOfAnOlderSessionIsIgnored) {
  h.server->sendTestMessage("m");
  h.run();
  const std::string id = lastSentID("messageStatus");
  conn->deliverEnvelope("disconnect");
  h.run();
  EXPECT_TRUE(h.delegate->has("messageStatus " + id + " failed")) << "settled at once, not after 8 s";

  auto next = h.authenticatedConnection();
  h.server->sendTestMessage("second");
  h.run();
  const std::string second = lastSentID("messageStatus");
  // A new authentication replaces the session without settling: its item then times out.
  auto replacement = h.authenticatedConnection();
  EXPECT_TRUE(next->cancelled);
  replacement->deliverEnvelope("ack", {{"ack_for", second}});
  h.run();
  EXPECT_FALSE(h.delegate->has("messageStatus " + second + " acked"));
  h.advance(milliseconds(8000));
  EXPECT_TRUE(h.delegate->has("messageStatus " + second + " failed"));
}

TEST_F(Liveness, SendsWithoutASessionAreDroppedSilently) {
  conn->deliverEnvelope("disconnect");
  h.run();
  h.delegate->clear();
  h.server->sendTestMessage("nobody");
  h.server->sendNotifDismiss("n1");
  h.run();
  EXPECT_TRUE(h.delegate->events().empty());
  EXPECT_EQ(h.inspect().waitingAckCount, 0u);
}

TEST_F(Liveness, AckFromAnUnauthenticatedConnectionCountsWhenTheGenerationMatches) {
  h.server->sendTestMessage("m");
  h.run();
  const std::string id = lastSentID("messageStatus");
  auto loose = h.connect();
  loose->deliverEnvelope("ack", {{"ack_for", id}});
  h.run();
  EXPECT_TRUE(h.delegate->has("messageStatus " + id + " acked"));
}

TEST(LivenessHealth, MacHealthGoesOutAtMostEveryTwentySecondsAndAtOnceAfterAuthentication) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  auto conn = h.authenticatedConnection();
  auto typesSent = [&] {
    std::vector<std::string> out;
    for (const auto& e : conn->sentEnvelopes()) out.push_back(e.type);
    return out;
  };
  std::vector<std::string> types = typesSent();
  ASSERT_EQ(types, (std::vector<std::string>{"auth_ok", "mac_health"})) << "forced at once after authentication";
  conn->clearSent();
  // Ticks at 5, 10 and 15 s fall inside the 20-second limit.
  h.advance(seconds(15));
  types = typesSent();
  EXPECT_EQ(std::count(types.begin(), types.end(), "mac_health"), 0);
  h.advance(seconds(5));
  types = typesSent();
  EXPECT_EQ(std::count(types.begin(), types.end(), "mac_health"), 1);
  auto health = conn->sentEnvelopes();
  auto it = std::find_if(health.begin(), health.end(), [](const Envelope& e) { return e.type == "mac_health"; });
  EXPECT_EQ(it->body, (Body{{"network", "Wi-Fi"}, {"charging", "1"}, {"battery", "57"}, {"signal", "3"}}));
}

TEST_F(Liveness, TickRenewsAnExpiredInvitation) {
  h.delegate->clear();
  h.advance(seconds(300));
  EXPECT_EQ(h.delegate->eventsStartingWith("invitation").size(), 1u) << "renewed at the first tick at or after expiry";
}

TEST(LivenessTick, FiresEveryFiveSecondsFromTheStart) {
  ServerHarness h{false};
  h.storePairedDevice();
  h.start();
  auto conn = h.authenticatedConnection();
  conn->clearSent();
  // The tick is due at 5, 10, 15, 20, 25 s after the start: a ping goes out at the
  // first tick more than 20 s after the last send, which is the 25 s one.
  h.advance(milliseconds(24999));
  for (const auto& e : conn->sentEnvelopes()) EXPECT_NE(e.type, "ping");
  h.advance(milliseconds(1));
  bool pinged = false;
  for (const auto& e : conn->sentEnvelopes()) pinged |= e.type == "ping";
  EXPECT_TRUE(pinged);
}

}  // namespace
}  // namespace orvane::testing

namespace orvane::testing {
namespace {

// A phone that speaks only when spoken to: it answers each ping and nothing else,
// while this computer's health reports go out every 20 s. Whatever the phase of the
// tick against the moment the phone authenticated, it must stay connected.
TEST(KeepAlive, APhoneThatOnlyAnswersPingsIsNeverDropped) {
  for (int phaseMs = 0; phaseMs < 5000; phaseMs += 250) {
    SCOPED_TRACE("authenticated " + std::to_string(phaseMs) + " ms into the tick period");
    ServerHarness h;  // with health reports
    h.storePairedDevice();
    h.start();
    h.advance(std::chrono::milliseconds(phaseMs));
    auto phone = h.authenticatedConnection();
    std::size_t answered = 0;
    for (int second = 0; second < 600; ++second) {
      h.advance(std::chrono::seconds(1));
      const auto sent = phone->sentEnvelopes();
      for (; answered < sent.size(); ++answered) {
        if (sent[answered].type == "ping") phone->deliverEnvelope("pong");
      }
      h.run();
      ASSERT_FALSE(phone->cancelled) << "dropped after " << second << " s";
    }
    EXPECT_EQ(h.inspect().authedPeerID, phone->id());
    EXPECT_FALSE(h.delegate->has("state disconnected Phone went silent \u2014 still listening"));
  }
}

}  // namespace
}  // namespace orvane::testing
