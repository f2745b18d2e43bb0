// An address that keeps being refused authentication or pairing gets its answers a
// little later; the codes themselves do not change.
#include <gtest/gtest.h>

#include "pairing/refusal_throttle.hpp"
#include "server_harness.hpp"

namespace orvane::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// A refused authentication from `host`; gives whether the answer came at once.
bool answeredAtOnce(ServerHarness& h, const std::string& host, const std::string& deviceID = "guess") {
  auto conn = h.transport->connect();
  conn->remote = Endpoint{host, 40000};
  conn->deliverEnvelope("authenticate", {{"device_id", deviceID}, {"phone_token", kPhoneToken}});
  h.run();
  if (conn->lastSent()) {
    EXPECT_EQ(conn->lastSent()->body, (Body{{"reason", "unknown_device"}}));
    return true;
  }
  h.advance(milliseconds(199));
  EXPECT_FALSE(conn->lastSent()) << "not before 200 ms";
  h.advance(milliseconds(1));
  EXPECT_TRUE(conn->lastSent());
  if (conn->lastSent()) {
    EXPECT_EQ(conn->lastSent()->body, (Body{{"reason", "unknown_device"}})) << "the same code";
  }
  EXPECT_TRUE(conn->cancelled);
  return false;
}

TEST(RefusalThrottle, MoreThanFiveRefusalsAMinuteFromOneAddressAreAnsweredLater) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(answeredAtOnce(h, "192.168.1.66")) << "refusal " << i + 1;
  EXPECT_FALSE(answeredAtOnce(h, "192.168.1.66")) << "the sixth within a minute waits";
  EXPECT_FALSE(answeredAtOnce(h, "192.168.1.66"));
  EXPECT_TRUE(answeredAtOnce(h, "192.168.1.67")) << "another address is not slowed";

  // The paired phone itself, from the slowed address, is not delayed.
  auto phone = h.transport->connect();
  phone->remote = Endpoint{"192.168.1.66", 40001};
  phone->deliverEnvelope("authenticate", {{"device_id", kDeviceID}, {"phone_token", kPhoneToken}});
  h.run();
  ASSERT_TRUE(phone->lastSent());
  EXPECT_EQ(phone->sentEnvelopes().front().type, "auth_ok");

  h.advance(seconds(61));
  EXPECT_TRUE(answeredAtOnce(h, "192.168.1.66")) << "a minute later the count starts again";
}

TEST(RefusalThrottle, NothingAConnectionSendsWhileItsRefusalWaitsIsRouted) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(answeredAtOnce(h, "192.168.1.66"));
  auto conn = h.transport->connect();
  conn->remote = Endpoint{"192.168.1.66", 40002};
  conn->deliverEnvelope("authenticate", {{"device_id", "guess"}, {"phone_token", kPhoneToken}}, "A1");
  h.run();
  conn->deliverEnvelope("authenticate", {{"device_id", kDeviceID}, {"phone_token", kPhoneToken}}, "A2");
  h.run();
  EXPECT_TRUE(conn->sentEnvelopes().empty());
  EXPECT_FALSE(h.inspect().authedPeerID) << "a refused connection cannot turn into the session";
  h.advance(milliseconds(200));
  ASSERT_EQ(conn->sentEnvelopes().size(), 1u);
  EXPECT_EQ(conn->lastSent()->type, "auth_failed");
  EXPECT_TRUE(conn->cancelled);
}

TEST(RefusalThrottle, RemembersABoundedNumberOfAddresses) {
  RefusalThrottle throttle;
  SteadyTime t{};
  for (int i = 0; i < 2000; ++i) throttle.refuse("10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256), t);
  // The newest addresses are still counted.
  const std::string newest = "10.0.7.207";
  for (int i = 0; i < 4; ++i) EXPECT_EQ(throttle.refuse(newest, t), Duration::zero());
  EXPECT_EQ(throttle.refuse(newest, t), Duration(RefusalThrottle::delay));
}

}  // namespace
}  // namespace orvane::testing
