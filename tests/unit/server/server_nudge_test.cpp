// Asking the paired phone to reconnect: the signed line, the bound attempt, the one
// unbound retry and the texts the user sees.
#include <gtest/gtest.h>

#include "base/codec.hpp"
#include "pairing/nudge_protocol.hpp"
#include "server_harness.hpp"

namespace orvane::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

class Nudge : public ::testing::Test {
 protected:
  void startPaired(std::optional<std::string> phone = "192.168.1.50", std::optional<std::string> local = "192.168.1.20") {
    h.storePairedDevice();
    if (phone) h.defaults->set("orvane.phone.lastAddress", *phone);
    if (local) h.defaults->set("orvane.link.lastLocalAddress", *local);
    h.start();
    h.delegate->clear();
  }
  void nudge() {
    h.server->requestPhoneReconnect();
    h.run();
  }
  std::vector<std::string> states() const { return h.delegate->eventsStartingWith("state"); }
  ServerHarness h;
};

TEST_F(Nudge, SendsOneSignedLineBoundToTheRememberedLocalAddress) {
  startPaired();
  nudge();
  ASSERT_EQ(h.transport->tcpAttempts.size(), 1u);
  const TcpAttempt& attempt = h.transport->tcpAttempts[0];
  EXPECT_EQ(attempt.host, "192.168.1.50");
  EXPECT_EQ(attempt.port, 17432);
  EXPECT_EQ(attempt.bindLocal, "192.168.1.20");
  EXPECT_TRUE(attempt.conn->started);
  attempt.conn->becomeReady();
  h.run();
  ASSERT_EQ(attempt.conn->sentRaw().size(), 1u);
  const std::string line = toString(attempt.conn->sentRaw()[0]);
  const std::string stamp = std::to_string(unixSeconds(h.clock.wallNow()));
  auto expected = NudgeProtocol::line(kDeviceID, unixSeconds(h.clock.wallNow()), h.inspect().paired->tokenHashB64);
  ASSERT_TRUE(expected);
  EXPECT_EQ(line, *expected + "\n");
  EXPECT_TRUE(line.starts_with("WKN1 pixel-8 " + stamp + " "));
  EXPECT_EQ(line.size(), std::string("WKN1 pixel-8 ").size() + stamp.size() + 1 + 43 + 1);
  EXPECT_TRUE(attempt.conn->cancelled) << "the connection ends after the line went out";
  EXPECT_EQ(h.inspect().nudgesInFlight, 0u);
  h.advance(seconds(5));
  EXPECT_EQ(states(), std::vector<std::string>{"state disconnected Asking your phone to reconnect\u2026"})
      << "a delivered line counts as success even if the phone never connects";
}

TEST_F(Nudge, UnreachableAddressIsTriedTwiceWhenALocalAddressIsRemembered) {
  startPaired();
  nudge();
  h.transport->tcpAttempts[0].conn->fail();
  h.run();
  ASSERT_EQ(h.transport->tcpAttempts.size(), 2u);
  EXPECT_EQ(h.transport->tcpAttempts[1].bindLocal, std::nullopt);
  // The second attempt never connects: its 3-second time-out ends it.
  h.advance(milliseconds(2999));
  EXPECT_EQ(states().size(), 1u);
  h.advance(milliseconds(1));
  EXPECT_EQ(states().back(), "state disconnected Phone didn't answer \u2014 open Orvane on it and try again");
  EXPECT_TRUE(h.transport->tcpAttempts[1].conn->cancelled);
  EXPECT_EQ(h.transport->tcpAttempts.size(), 2u);
}

TEST_F(Nudge, WithoutALocalAddressOneAttempt) {
  startPaired("192.168.1.50", std::nullopt);
  nudge();
  ASSERT_EQ(h.transport->tcpAttempts.size(), 1u);
  EXPECT_EQ(h.transport->tcpAttempts[0].bindLocal, std::nullopt);
  h.advance(seconds(3));
  EXPECT_EQ(h.transport->tcpAttempts.size(), 1u);
  EXPECT_EQ(states().back(), "state disconnected Phone didn't answer \u2014 open Orvane on it and try again");
}

TEST_F(Nudge, AFailureAfterThePhoneAuthenticatedLeavesTheStateAlone) {
  startPaired("192.168.1.50", std::nullopt);
  nudge();
  h.authenticatedConnection();
  h.advance(seconds(3));
  EXPECT_EQ(states().back(), "state connected");
}

TEST_F(Nudge, NothingHappensWhileConnectedOrUnpaired) {
  startPaired();
  h.authenticatedConnection();
  h.delegate->clear();
  nudge();
  EXPECT_TRUE(h.transport->tcpAttempts.empty());
  EXPECT_TRUE(h.delegate->events().empty());

  ServerHarness unpaired;
  unpaired.start();
  unpaired.delegate->clear();
  unpaired.server->requestPhoneReconnect();
  unpaired.run();
  EXPECT_TRUE(unpaired.transport->tcpAttempts.empty());
  EXPECT_TRUE(unpaired.delegate->events().empty());
}

TEST_F(Nudge, NoAddressOrAnInvalidRecordIsExplained) {
  startPaired(std::nullopt, std::nullopt);
  nudge();
  EXPECT_EQ(states(), std::vector<std::string>{"state disconnected Reconnect once from your phone \u2014 no address known yet"});

  ServerHarness broken;
  PairedDevice record{kDeviceID, kDeviceName, codec::base64Encode(Bytes(31, 1)), broken.clock.wallNow(), "123456"};
  ASSERT_TRUE(broken.store->save(record).has_value());
  broken.defaults->set("orvane.phone.lastAddress", std::string("192.168.1.50"));
  broken.start();
  broken.server->requestPhoneReconnect();
  broken.run();
  EXPECT_TRUE(broken.transport->tcpAttempts.empty());
  EXPECT_EQ(broken.delegate->eventsStartingWith("state").back(),
            "state disconnected Pairing record is invalid \u2014 scan a new QR code");
}

TEST_F(Nudge, AddressesAreRememberedFromEveryAuthentication) {
  startPaired(std::nullopt, std::nullopt);
  auto conn = h.transport->connect();
  conn->remote = Endpoint{"10.1.2.3", 5555};
  conn->local = Endpoint{"10.1.2.1", 17431};
  conn->deliverEnvelope("authenticate", {{"device_id", kDeviceID}, {"phone_token", kPhoneToken}});
  h.run();
  EXPECT_TRUE(h.delegate->has("phoneAddress 10.1.2.3"));
  EXPECT_EQ(h.defaults->string("orvane.phone.lastAddress"), "10.1.2.3");
  EXPECT_EQ(h.defaults->string("orvane.link.lastLocalAddress"), "10.1.2.1");
  EXPECT_EQ(h.inspect().lastPhoneAddress, "10.1.2.3");
}

}  // namespace
}  // namespace orvane::testing
