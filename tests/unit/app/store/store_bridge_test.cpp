// What each action does to the hub and the server, and how long the bridge keeps
// joining the store to the hub.
#include <gtest/gtest.h>

#include "store_fixture.hpp"

namespace orvane::testing {
namespace {

struct ActionCase {
  const char* name;
  BridgeAction action;
  std::vector<std::string> serverCalls;  // what reaches the server, in order
};

TEST_F(StoreTest, EachActionReachesTheHubAndServerAsItsRowSays) {
  const std::vector<ActionCase> cases{
      {"setClipboard", BridgeAction::setClipboard(true), {"setClipboardEnabled 1"}},
      {"media", BridgeAction::media("next"), {"sendMediaCommand next"}},
      {"dismissNotification", BridgeAction::dismissNotification("n1"), {"sendNotifDismiss n1"}},
      {"sendMessage", BridgeAction::sendMessage(" hi "), {"sendTestMessage hi"}},
      {"replyNotification", BridgeAction::replyNotification("n1", "ok"), {"sendNotifReply n1 ok"}},
      {"sendLink", BridgeAction::sendLink("example.org"), {"sendTestUrl https://example.org"}},
      {"renameDevice", BridgeAction::renameDevice("Desk"), {}},
      {"connect", BridgeAction::connect(), {"restart", "requestPhoneReconnect"}},
      {"disconnect", BridgeAction::disconnect(), {"disconnectSession"}},
      {"forget", BridgeAction::forget(), {"forgetPaired"}},
      {"approve", BridgeAction::approve(), {"approvePending"}},
      {"deny", BridgeAction::deny(), {"denyPending"}},
      {"regenerateInvite", BridgeAction::regenerateInvite(), {"regenerateInvitation"}},
      {"markNotificationsRead", BridgeAction::markNotificationsRead(), {}},
      {"openAccessibilitySettings", BridgeAction::openAccessibilitySettings(), {}},
      {"clearClipHistory", BridgeAction::clearClipHistory(), {}},
      {"showCountdown", BridgeAction::showCountdown(true), {}},
  };
  ASSERT_EQ(cases.size(), std::variant_size_v<BridgeAction::Value>);
  buildAll();
  connect();
  for (const ActionCase& c : cases) {
    server->calls.clear();
    store->perform(c.action);
    EXPECT_EQ(server->calls, c.serverCalls) << c.name;
  }
  // The rows whose effect stays in the hub.
  EXPECT_TRUE(*hub->clipboardEnabled);
  EXPECT_EQ(defaults->boolean("zel.clipboard.sync.enabled"), true);
  EXPECT_EQ(*hub->deviceAlias, std::nullopt);  // forget came after the rename
  EXPECT_EQ(defaults->string("orvane.device.alias"), std::nullopt);
  EXPECT_EQ(workspace->opened, 1);
  EXPECT_TRUE(hub->clipHistory->empty());
}

TEST_F(StoreTest, RenamingAndClearingTheHistoryChangeTheHubsValues) {
  buildAll();
  hub->serverClipboardReceived("copied", "c1", "phone");
  main->runUntilIdle();
  store->perform(BridgeAction::renameDevice("Desk phone"));
  EXPECT_EQ(*hub->deviceAlias, "Desk phone");
  EXPECT_EQ(*store->deviceAlias, "Desk phone");
  store->perform(BridgeAction::clearClipHistory());
  EXPECT_TRUE(hub->clipHistory->empty());
  EXPECT_TRUE(store->clipHistory->empty());
}

TEST_F(StoreTest, TheCountdownTicksWhileAViewShowsIt) {
  buildAll();
  hub->serverInvitationChanged("ZEL1|x", 300, "192.0.2.1", 17431, {"192.0.2.1"}, std::nullopt);
  main->runUntilIdle();
  main->advance(std::chrono::seconds(5));
  EXPECT_EQ(*store->qrSecondsRemaining, 300) << "nobody shows it";
  EXPECT_EQ(main->pending(), 0u);

  store->perform(BridgeAction::showCountdown(true));
  EXPECT_EQ(*store->qrSecondsRemaining, 295) << "brought up to date at once";
  store->perform(BridgeAction::showCountdown(true));  // a second window
  main->advance(std::chrono::seconds(2));
  EXPECT_EQ(*store->qrSecondsRemaining, 293);
  store->perform(BridgeAction::showCountdown(false));
  main->advance(std::chrono::seconds(2));
  EXPECT_EQ(*store->qrSecondsRemaining, 291) << "the other window still shows it";
  store->perform(BridgeAction::showCountdown(false));
  store->perform(BridgeAction::showCountdown(false));  // one stop too many is ignored
  main->advance(std::chrono::seconds(2));
  EXPECT_EQ(*store->qrSecondsRemaining, 291);
  EXPECT_EQ(main->pending(), 0u);

  store->perform(BridgeAction::showCountdown(true));
  EXPECT_EQ(*store->qrSecondsRemaining, 289);
  main->advance(std::chrono::seconds(1));
  EXPECT_EQ(*store->qrSecondsRemaining, 288) << "the stop too many took nothing from this start";
  bridge.reset();
  EXPECT_EQ(main->pending(), 0u) << "the views' demands end with the bridge";
}

TEST_F(StoreTest, ReleasingTheBridgeStopsBothDirections) {
  buildAll();
  connect();
  bridge.reset();
  store->perform(BridgeAction::approve());
  EXPECT_TRUE(server->callsStartingWith("approvePending").empty());
  hub->serverPhoneAddressChanged(std::string("192.0.2.9"));
  main->runUntilIdle();
  EXPECT_FALSE(store->phoneAddress->has_value());
}

TEST_F(StoreTest, TheStoreStartsFromTheHubsCurrentValues) {
  build();
  hub->serverStateChanged(LinkState::disconnected("Listening on port 17431"));
  hub->serverInvitationChanged("ZEL1|x", 299.6, "192.0.2.1", 17431, {"192.0.2.1"}, std::nullopt);
  hub->serverPhoneAddressChanged(std::string("192.0.2.5"));
  main->runUntilIdle();
  hub->setClipboard(true);
  store = makeStore();
  bridge = StoreBridge::create(store, hub, &clock);
  EXPECT_EQ(*store->connection, BridgeConnection::disconnected("Listening on port 17431"));
  EXPECT_EQ(*store->localAddress, "192.0.2.1");
  EXPECT_EQ(*store->qrSecondsRemaining, 300);
  EXPECT_EQ(*store->phoneAddress, "192.0.2.5");
  EXPECT_TRUE(store->features->clipboard);
  EXPECT_TRUE(static_cast<bool>(store->perform));
}

}  // namespace
}  // namespace orvane::testing
