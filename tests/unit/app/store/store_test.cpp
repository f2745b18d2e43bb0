// The store the views read: values copied from the hub, shown only when they change,
// and the store's own operations (activities, media commands, links, dismissing).
#include <gtest/gtest.h>

#include "store_fixture.hpp"

namespace orvane::testing {
namespace {

using Kind = BridgeActivity::Kind;
using Direction = BridgeActivity::Direction;

TEST_F(StoreTest, InvitationCountdownIsRoundedHalfAwayFromZeroAndNeverNegative) {
  buildAll();
  const std::vector<std::pair<double, std::int64_t>> cases{
      {299.6, 300}, {-0.6, 0}, {0.5, 1}, {0.49, 0}, {-0.5, 0}, {12.5, 13}, {300, 300}};
  for (const auto& [remaining, shown] : cases) {
    hub->inviteExpiresIn = remaining;
    EXPECT_EQ(*store->qrSecondsRemaining, shown) << remaining;
  }
}

TEST_F(StoreTest, ConnectionShowsThePendingPhoneOrPhoneWhileAwaitingApproval) {
  buildAll();
  hub->serverStateChanged(LinkState::awaitingApproval());
  main->runUntilIdle();
  EXPECT_EQ(*store->connection, BridgeConnection::awaitingApproval("Phone"));
  EXPECT_EQ(store->connection->title(), "Awaiting approval");

  // The name may come after the state: the connection shown takes it then.
  hub->serverPendingRequest("Pixel 8", "p8");
  main->runUntilIdle();
  EXPECT_EQ(*store->connection, BridgeConnection::awaitingApproval("Pixel 8"));
  EXPECT_EQ(*store->pendingDeviceName, "Pixel 8");
}

TEST_F(StoreTest, EveryLinkStateHasItsConnectionAndTitle) {
  buildAll();
  const std::vector<std::tuple<LinkState, BridgeConnection, std::string>> cases{
      {LinkState::disconnected("Listening"), BridgeConnection::disconnected("Listening"), "Not connected"},
      {LinkState::reconnecting(3), BridgeConnection::reconnecting(3), "Reconnecting\u2026 (3)"},
      {LinkState::error("Port busy"), BridgeConnection::failed("Port busy"), "Error"},
      {LinkState::connecting(), BridgeConnection::connecting(), "Connecting\u2026"},
      {LinkState::connected(), BridgeConnection::connected(), "Connected"},
  };
  for (const auto& [state, shown, title] : cases) {
    hub->serverStateChanged(state);
    main->runUntilIdle();
    EXPECT_EQ(*store->connection, shown) << title;
    EXPECT_EQ(store->connection->title(), title);
  }
}

TEST_F(StoreTest, ObserversHearOnlyRealChanges) {
  buildAll();
  int heard = 0;
  auto watching = store->phoneAddress.subscribe([&](const auto&) { ++heard; });
  hub->serverPhoneAddressChanged(std::string("192.0.2.7"));
  hub->serverPhoneAddressChanged(std::string("192.0.2.7"));
  main->runUntilIdle();
  EXPECT_EQ(heard, 1);  // the hub published twice; the second is no change
  hub->serverPhoneAddressChanged(std::nullopt);
  main->runUntilIdle();
  EXPECT_EQ(heard, 2);
}

TEST_F(StoreTest, TheActivityLogKeepsTheEightyNewest) {
  buildAll();
  for (int i = 1; i <= 90; ++i) store->record(Kind::clipboard, Direction::toPhone, "copy " + std::to_string(i));
  ASSERT_EQ(store->activities->size(), 80u);
  EXPECT_EQ(store->activities->front().summary, "copy 11");
  EXPECT_EQ(store->activities->back().summary, "copy 90");
  EXPECT_EQ(store->activities->back().at, clock.wallNow());
  EXPECT_NE(store->activities->front().id, store->activities->back().id);
  EXPECT_EQ(*store->trafficPulse, 90);
}

TEST_F(StoreTest, PlayPauseSendsTheOppositeOfWhatThePhonePlaysAndShowsItAtOnce) {
  buildAll();
  connect();
  store->mediaCommand(DeviceBridgeStore::MediaCommand::playPause);  // nothing playing
  hub->serverMediaChanged(std::string("Spotify"), std::string("Song"), std::nullopt, std::nullopt, true, std::nullopt);
  main->runUntilIdle();
  ASSERT_TRUE((*store->media)->isPlaying);
  store->mediaCommand(DeviceBridgeStore::MediaCommand::playPause);
  EXPECT_FALSE((*store->media)->isPlaying);  // before the phone says so
  store->mediaCommand(DeviceBridgeStore::MediaCommand::next);
  store->mediaCommand(DeviceBridgeStore::MediaCommand::previous);

  EXPECT_EQ(server->callsStartingWith("sendMediaCommand"),
            (std::vector<std::string>{"sendMediaCommand play", "sendMediaCommand pause", "sendMediaCommand next",
                                      "sendMediaCommand prev"}));
  std::vector<std::string> summaries;
  for (const auto& a : *store->activities) {
    EXPECT_EQ(a.kind, Kind::media);
    summaries.push_back(a.summary);
  }
  EXPECT_EQ(summaries, (std::vector<std::string>{"Play", "Pause", "Next", "Prev"}));
  EXPECT_EQ(*store->trafficPulse, 8);  // one for the command, one for its activity
}

TEST_F(StoreTest, MediaCommandsNeedAConnectedPhone) {
  buildAll();
  store->mediaCommand(DeviceBridgeStore::MediaCommand::next);
  store->perform(BridgeAction::media("next"));  // the bridge refuses too
  EXPECT_TRUE(server->callsStartingWith("sendMediaCommand").empty());
  EXPECT_TRUE(store->activities->empty());
  EXPECT_EQ(*store->trafficPulse, 0);
}

TEST_F(StoreTest, AnEmptyLinkSendsAndRecordsNothing) {
  buildAll();
  connect();
  store->sendLink("");
  EXPECT_TRUE(server->callsStartingWith("sendTestUrl").empty());
  EXPECT_TRUE(store->activities->empty());

  store->sendLink("https://example.org/a");
  EXPECT_EQ(server->callsStartingWith("sendTestUrl"), (std::vector<std::string>{"sendTestUrl https://example.org/a"}));
  ASSERT_EQ(store->activities->size(), 1u);
  EXPECT_EQ(store->activities->front().kind, Kind::link);
  EXPECT_EQ(store->activities->front().direction, Direction::toPhone);
  EXPECT_EQ(store->activities->front().summary, "https://example.org/a");
}

TEST_F(StoreTest, DismissingRemovesTheNotificationAtOnceEvenWithoutABridge) {
  build();
  store = makeStore();  // no bridge: the action goes nowhere
  store->notifications = std::vector<BridgeNotification>{{"a", "Mail"}, {"b", "Mail"}, {"a", "Mail"}};
  store->dismissNotification("a");
  ASSERT_EQ(store->notifications->size(), 1u);
  EXPECT_EQ(store->notifications->front().id, "b");
  EXPECT_TRUE(server->callsStartingWith("sendNotifDismiss").empty());
}

TEST_F(StoreTest, PairingShowsTheDeviceWithItsIdAndForgettingClearsIt) {
  buildAll();
  hub->serverPairedDeviceChanged(std::string("Acme Acme Phone 7"), std::string("dev-1"));
  hub->renameDevice("Desk phone");
  main->runUntilIdle();
  ASSERT_TRUE(store->device->has_value());
  EXPECT_EQ((*store->device)->id, "dev-1");
  EXPECT_EQ((*store->device)->model, "Acme Acme Phone 7");
  EXPECT_EQ((*store->device)->lastSeen, clock.wallNow());
  EXPECT_EQ(*store->pairing, DeviceBridgeStore::PairingStatus::paired);
  EXPECT_EQ(store->deviceTitle(), "Desk phone");
  hub->renameDevice("");
  EXPECT_EQ(store->deviceTitle(), "Acme Phone 7");

  hub->renameDevice("Desk phone");
  store->perform(BridgeAction::forget());
  hub->serverPairedDeviceChanged(std::nullopt, std::nullopt);
  main->runUntilIdle();
  EXPECT_FALSE(store->device->has_value());
  EXPECT_FALSE(store->deviceAlias->has_value());
  EXPECT_EQ(*store->pairing, DeviceBridgeStore::PairingStatus::none);
  EXPECT_EQ(store->deviceTitle(), "No device paired");
}

TEST_F(StoreTest, APhonePairedBeforeTheStoreIsShownFromTheStart) {
  build();
  hub->serverPairedDeviceChanged(std::string("Pixel 8"), std::string("p8"));
  main->runUntilIdle();
  store = makeStore();
  bridge = StoreBridge::create(store, hub, &clock);
  ASSERT_TRUE(store->device->has_value());
  EXPECT_EQ((*store->device)->id, "p8");
  EXPECT_EQ(*store->pairing, DeviceBridgeStore::PairingStatus::paired);
}

TEST(BridgeDeviceTest, DisplayNameSaysADoubledFirstWordOnce) {
  const std::vector<std::tuple<std::string, std::optional<std::string>, std::string>> cases{
      {"Acme Acme Phone 7", std::nullopt, "Acme Phone 7"},
      {"x", std::string("Acme Acme Phone 7"), "Acme Phone 7"},
      {"acme ACME 7", std::nullopt, "acme 7"},
      {"Acme Acme", std::nullopt, "Acme"},
      {" Acme  Acme  Phone ", std::nullopt, "Acme Phone"},  // empty pieces do not count
      {"Acme Phone Phone", std::nullopt, "Acme Phone Phone"},
      {"Pixel", std::nullopt, "Pixel"},
      {"Pixel 8", std::string(""), "Pixel 8"},  // an empty model falls back to the name
      {"Émile ÉMILE Phone", std::nullopt, "Émile Phone"},
  };
  for (const auto& [name, model, shown] : cases) {
    BridgeDevice device;
    device.name = name;
    device.model = model;
    EXPECT_EQ(device.displayName(), shown) << name;
  }
}

TEST_F(StoreTest, HubValuesReachTheStoreConverted) {
  buildAll();
  hub->serverUrlReceived("https://example.org/", std::string("from chat"), std::string("Chrome"));
  hub->serverMessageReceived("hello");
  hub->serverClipboardReceived("copied", "c1", "phone");
  main->runUntilIdle();
  hub->setClipboard(true);
  hub->serverPhoneStatusChanged(PhoneStatus{});

  ASSERT_EQ(store->links->size(), 1u);
  EXPECT_EQ(store->links->front().url, "https://example.org/");
  EXPECT_EQ(store->links->front().context, "from chat");
  EXPECT_FALSE(store->links->front().outgoing);
  ASSERT_EQ(store->messages->size(), 1u);
  EXPECT_EQ(store->messages->front().text, "hello");
  EXPECT_TRUE(store->features->clipboard);
  EXPECT_FALSE(store->features->notifications);
  ASSERT_EQ(hub->clipHistory->size(), store->clipHistory->size());
  for (std::size_t i = 0; i < store->clipHistory->size(); ++i) {
    EXPECT_EQ((*store->clipHistory)[i].id, (*hub->clipHistory)[i].id);
    EXPECT_EQ((*store->clipHistory)[i].text, (*hub->clipHistory)[i].text);
  }
}

TEST_F(StoreTest, ThePhonesNotificationsKeepTheirTimeAndReplyOutcome) {
  buildAll();
  connect();
  post("n1", "Mail", std::string("Ann"), "Lunch?", 1767623400123);
  hub->serverNotifReplyResult("n1", false, std::string("no_action"));
  main->runUntilIdle();
  ASSERT_EQ(store->notifications->size(), 1u);
  const BridgeNotification& n = store->notifications->front();
  EXPECT_EQ(n.receivedAt, WallTime{std::chrono::milliseconds(1767623400123)});
  EXPECT_EQ(n.body, "Lunch?");
  EXPECT_TRUE(n.canReply);
  EXPECT_FALSE(n.isRead);
  EXPECT_EQ(n.replyResult, false);
  EXPECT_EQ(n.replyDetail, "no_action");
}

}  // namespace
}  // namespace orvane::testing
