// The inbound catalogue is built from the rows each module brings; two rows for one
// message type stop the wiring instead of one silently shadowing the other.
#include <gtest/gtest.h>

#include "base/fake_clock.hpp"
#include "base/manual_queue.hpp"
#include "session/link_core.hpp"
#include "session/route_registry.hpp"

namespace orvane {
namespace {

TEST(RouteRegistry, FindsRowsByExactTypeAndRefusesASecondRowForAType) {
  RouteRegistry routes;
  int called = 0;
  ASSERT_TRUE(routes.add("notif_post", true, [&](const Envelope&, Peer&, PeerID) { ++called; }));
  auto again = routes.add("notif_post", false, [](const Envelope&, Peer&, PeerID) {});
  ASSERT_FALSE(again);
  EXPECT_EQ(again.error(), "two routes for the message type \"notif_post\"");

  const Route* found = routes.find("notif_post");
  ASSERT_NE(found, nullptr);
  EXPECT_TRUE(found->needsAuth) << "the first row stays";
  EXPECT_EQ(routes.find("Notif_post"), nullptr) << "types match case-sensitively";
  EXPECT_EQ(routes.find("notif"), nullptr);
  EXPECT_FALSE(routes.add("", false, [](const Envelope&, Peer&, PeerID) {}));
  EXPECT_FALSE(routes.add("x", false, nullptr));
  EXPECT_EQ(routes.size(), 1u);
}

class ClaimsPing final : public LinkModule {
 public:
  expected<void, std::string> registerRoutes(RouteRegistry& routes) override {
    return routes.add("ping", false, [](const Envelope&, Peer&, PeerID) {});
  }
};

class ClaimsNothingNew final : public LinkModule {
 public:
  expected<void, std::string> registerRoutes(RouteRegistry& routes) override {
    return routes.add("clipboard_update", true, [](const Envelope&, Peer&, PeerID) {});
  }
};

TEST(RouteRegistry, AModuleClaimingATypeAlreadyRoutedIsRefusedAtWiring) {
  FakeClock clock;
  ManualQueue queue("zel.pairing-server", clock);
  auto link = LinkCore::create({std::shared_ptr<SerialQueue>(std::shared_ptr<void>(), &queue), &clock, nullptr});
  ClaimsPing ping;
  auto added = link->addModule(ping);
  ASSERT_FALSE(added) << "the link core routes ping itself";
  EXPECT_EQ(added.error(), "two routes for the message type \"ping\"");

  ClaimsNothingNew first, second;
  EXPECT_TRUE(link->addModule(first));
  EXPECT_FALSE(link->addModule(second));
}

}  // namespace
}  // namespace orvane
