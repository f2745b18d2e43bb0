// Every way a connection leaves the link goes through one retire path: the session
// ends when it was the session, and a pairing request it held is cancelled, whatever
// removed it (silence, `disconnect`, a final reply, the end of the stream).
#include <gtest/gtest.h>

#include "wire/framing.hpp"
#include "server_harness.hpp"

namespace orvane::testing {
namespace {

using std::chrono::seconds;

Body pairBody(const std::string& token) {
  return {{"invitation_token", token}, {"device_id", kDeviceID}, {"device_name", kDeviceName}, {"phone_token", kPhoneToken}};
}

Bytes frame(const std::string& json) { return *Framing::encode(json); }
Bytes envelopeFrame(const std::string& type, const Body& body) { return frame(Envelope{1, "E1", type, body}.encode()); }
Bytes join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
// A frame whose payload is no envelope: answered with `error` and, on a connection
// that has not authenticated, closed once that reply is written.
const Bytes badFrame = frame("{not json");

struct RequesterGone {
  const char* name;
  // Sends the pair request (or not yet) and makes the requester go.
  void (*act)(ServerHarness& h, const std::shared_ptr<FakeConnection>& conn, const std::string& token);
};

const RequesterGone requesterGoneCases[] = {
    {"silent past the watchdog",
     [](ServerHarness& h, const std::shared_ptr<FakeConnection>& conn, const std::string& token) {
       conn->deliverEnvelope("pair_request", pairBody(token));
       h.run();
       h.advance(seconds(70));
     }},
    {"says disconnect",
     [](ServerHarness& h, const std::shared_ptr<FakeConnection>& conn, const std::string& token) {
       conn->deliverEnvelope("pair_request", pairBody(token));
       h.run();
       conn->deliverEnvelope("disconnect");
       h.run();
     }},
    {"bad frame and a valid request in one write",
     [](ServerHarness& h, const std::shared_ptr<FakeConnection>& conn, const std::string& token) {
       conn->deliver(join(badFrame, envelopeFrame("pair_request", pairBody(token))));
       h.run();
     }},
    {"ends its stream",
     [](ServerHarness& h, const std::shared_ptr<FakeConnection>& conn, const std::string& token) {
       conn->deliverEnvelope("pair_request", pairBody(token));
       h.run();
       conn->endStream();
       h.run();
     }},
};

TEST(RetirePath, ARequestWhoseConnectionIsGoneIsCancelledAndANewOneCanBeMade) {
  for (const auto& c : requesterGoneCases) {
    SCOPED_TRACE(c.name);
    ServerHarness h;
    h.start();
    const std::string token = h.inspect().invitation->token;
    auto requester = h.connect();
    c.act(h, requester, token);

    EXPECT_TRUE(requester->cancelled);
    EXPECT_FALSE(h.inspect().pending);
    EXPECT_TRUE(h.delegate->has("pendingCleared"));
    EXPECT_TRUE(h.delegate->has("state disconnected Pairing request cancelled \u2014 still listening"));
    const std::string fresh = h.inspect().invitation->token;
    EXPECT_NE(fresh, token) << "a fresh invitation replaces the spent one";

    h.server->approvePending();
    h.run();
    EXPECT_FALSE(h.inspect().paired) << "approving after the requester left pairs nothing";

    // The next phone can pair with the fresh code.
    auto next = h.connect();
    next->deliverEnvelope("pair_request", pairBody(fresh));
    h.run();
    EXPECT_TRUE(h.inspect().pending);
    h.server->approvePending();
    h.run();
    ASSERT_TRUE(next->lastSent());
    EXPECT_EQ(next->lastSent()->type, "pair_approved");
  }
}

struct SessionGone {
  const char* name;
  void (*act)(ServerHarness& h);
};

const SessionGone sessionGoneCases[] = {
    {"bad frame and a valid authenticate in one write",
     [](ServerHarness& h) {
       auto conn = h.connect();
       conn->deliver(join(badFrame, envelopeFrame("authenticate", {{"device_id", kDeviceID}, {"phone_token", kPhoneToken}})));
       h.run();
       EXPECT_TRUE(conn->cancelled);
     }},
    {"refused forget_device",
     [](ServerHarness& h) {
       auto conn = h.authenticatedConnection();
       conn->deliverEnvelope("forget_device", {{"device_id", "someone-else"}});
       h.run();
       EXPECT_TRUE(conn->cancelled);
       EXPECT_TRUE(h.inspect().paired) << "a refused forget keeps the pairing";
     }},
};

TEST(RetirePath, ASessionClosedByAFinalReplyEndsTheSession) {
  for (const auto& c : sessionGoneCases) {
    SCOPED_TRACE(c.name);
    ServerHarness h;
    h.storePairedDevice();
    h.defaults->set("orvane.phone.lastAddress", "192.168.1.50");
    h.start();
    const auto genBefore = h.inspect().socketGen;
    c.act(h);

    EXPECT_FALSE(h.inspect().authedPeerID) << "no session may name a connection that is gone";
    EXPECT_EQ(h.inspect().peerCount, 0u);
    EXPECT_EQ(h.inspect().socketGen, genBefore + 2) << "one step for the session, one for its end";
    EXPECT_EQ(h.delegate->lastState(), LinkState::disconnected("Connection lost \u2014 still listening"));

    // With no session, a nudge goes out instead of being suppressed.
    h.server->requestPhoneReconnect();
    h.run();
    EXPECT_EQ(h.transport->tcpAttempts.size(), 1u);
  }
}

TEST(RetirePath, AnOlderSessionReplacedByAuthenticationIsNotSettled) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  auto first = h.authenticatedConnection();
  h.server->sendTestMessage("hello");
  h.run();
  h.delegate->clear();
  auto second = h.authenticatedConnection();
  EXPECT_TRUE(first->cancelled);
  EXPECT_EQ(h.inspect().authedPeerID, second->id());
  EXPECT_TRUE(h.delegate->eventsStartingWith("messageStatus").empty()) << "its waiting message times out instead";
  EXPECT_EQ(h.delegate->eventsStartingWith("state"), std::vector<std::string>{"state connected"});
  h.advance(seconds(9));
  EXPECT_EQ(h.delegate->eventsStartingWith("messageStatus").size(), 1u);
}

}  // namespace
}  // namespace orvane::testing
