// Bounds that keep a hostile or broken peer from holding the server's memory or its
// connection slots: unwritten bytes per connection, and connections waiting to
// authenticate.
#include <gtest/gtest.h>

#include "server_harness.hpp"

namespace orvane::testing {
namespace {

const std::string longText(4000, 'x');  // a frame of about 4 KB

TEST(ConnectionBounds, ASessionThatDoesNotReadIsClosedOnceItsUnwrittenBytesPassTheBound) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  auto phone = h.authenticatedConnection();
  phone->holdCompletions = true;  // nothing the server hands over is ever written
  int sent = 0;
  while (!phone->cancelled && sent < 1000) {
    h.server->sendNotifReply("n-1", longText);
    h.run();
    ++sent;
  }
  EXPECT_TRUE(phone->cancelled);
  EXPECT_GT(sent, 200) << "about 1 MiB is allowed to wait";
  EXPECT_LT(sent, 280);
  EXPECT_FALSE(h.inspect().authedPeerID);
  EXPECT_EQ(h.inspect().peerCount, 0u);
  EXPECT_EQ(h.delegate->lastState(), LinkState::disconnected("Connection lost \u2014 still listening"));
  phone->releaseCompletions();  // late completions find nothing to count against
  h.run();
}

TEST(ConnectionBounds, BytesThatWereWrittenNoLongerCount) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  auto phone = h.authenticatedConnection();
  phone->holdCompletions = true;
  for (int round = 0; round < 5; ++round) {
    for (int i = 0; i < 200; ++i) h.server->sendNotifReply("n-1", longText);
    h.run();
    ASSERT_FALSE(phone->cancelled) << "round " << round;
    phone->releaseCompletions();
    h.run();
  }
  EXPECT_EQ(h.inspect().authedPeerID, phone->id());
}

TEST(ConnectionBounds, AnUnauthenticatedPeerFloodingPingsWithoutReadingIsClosed) {
  ServerHarness h;
  h.start();
  auto flood = h.connect();
  flood->holdCompletions = true;
  Bytes pings;
  for (int i = 0; i < 20000; ++i) {
    const Bytes frame = *Framing::encode(Envelope{1, "P" + std::to_string(i), "ping", {}}.encode());
    pings.insert(pings.end(), frame.begin(), frame.end());
  }
  flood->deliver(pings);
  h.run();
  EXPECT_TRUE(flood->cancelled);
  EXPECT_LT(flood->sentRaw().size(), 20000u) << "the replies stop at the bound";
  EXPECT_EQ(h.inspect().peerCount, 0u);
  EXPECT_TRUE(h.delegate->eventsStartingWith("state").size() == 1u) << "only the start's state: no session was involved";
}

// Opens 40 connections that never authenticate; 32 may wait, so the 8 oldest of them
// make room (plus one more for each other waiting connection that is kept).
std::vector<std::shared_ptr<FakeConnection>> openLoose(ServerHarness& h) {
  std::vector<std::shared_ptr<FakeConnection>> loose;
  for (int i = 0; i < 40; ++i) {
    loose.push_back(h.connect());
    h.run();
  }
  return loose;
}

TEST(ConnectionBounds, TheOldestWaitingConnectionMakesRoomButNeverThePairingRequester) {
  ServerHarness h;
  h.start();
  auto requester = h.connect();
  requester->deliverEnvelope("pair_request", {{"invitation_token", h.inspect().invitation->token},
                                              {"device_id", kDeviceID},
                                              {"device_name", kDeviceName},
                                              {"phone_token", kPhoneToken}});
  h.run();
  ASSERT_TRUE(h.inspect().pending);
  auto loose = openLoose(h);
  // The requester and 40 others wait; 32 may: the 9 oldest others were closed.
  for (int i = 0; i < 40; ++i) EXPECT_EQ(loose[i]->cancelled, i < 9) << "connection " << i;
  EXPECT_FALSE(requester->cancelled);
  EXPECT_TRUE(h.inspect().pending);
  EXPECT_EQ(h.inspect().peerCount, 32u);
}

TEST(ConnectionBounds, TheAuthenticatedPhoneIsNeverClosedForRoom) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  auto phone = h.authenticatedConnection();
  auto loose = openLoose(h);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(loose[i]->cancelled, i < 8) << "connection " << i;
  EXPECT_FALSE(phone->cancelled);
  EXPECT_EQ(h.inspect().authedPeerID, phone->id());
  EXPECT_EQ(h.inspect().peerCount, 1u + 32u);
}

}  // namespace
}  // namespace orvane::testing
