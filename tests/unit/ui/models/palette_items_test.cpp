// Which commands the palette offers in each state of the link and the pairing, and
// what each of them does.
#include <gtest/gtest.h>

#include "model_fixture.hpp"
#include "palette_support.hpp"

namespace orvane::testing {
namespace {

using Pairing = DeviceBridgeStore::PairingStatus;

class PaletteItemsTest : public ModelTest {};

TEST_F(PaletteItemsTest, TheCommandsPresentFollowTheLinkAndThePairing) {
  const std::vector<std::string> always = plus(tabIDs, {"settings", "pair"});
  struct Row {
    BridgeConnection connection;
    Pairing pairing;
    std::vector<std::string> ids;
  };
  const std::vector<Row> rows{
      {BridgeConnection::disconnected(), Pairing::none, always},
      {BridgeConnection::awaitingApproval("Pixel 8"), Pairing::none, always},
      {BridgeConnection::connecting(), Pairing::none, always},
      {BridgeConnection::disconnected(), Pairing::revoked, always},
      {BridgeConnection::disconnected("Listening"), Pairing::paired, plus(always, {"reconnect"})},
      {BridgeConnection::reconnecting(2), Pairing::paired, plus(always, {"reconnect"})},
      {BridgeConnection::failed("Port busy"), Pairing::paired, plus(always, {"reconnect"})},
      {BridgeConnection::connecting(), Pairing::paired, plus(always, {"reconnect"})},
      {BridgeConnection::connected(), Pairing::paired, plus(always, {"clip", "disconnect"})},
  };
  for (const Row& row : rows) {
    store->connection = row.connection;
    store->pairing = row.pairing;
    EXPECT_EQ(joined(idsOf(CommandPalette::allItems(*store))), joined(row.ids))
        << row.connection.caseName() << " pairing " << static_cast<int>(row.pairing);
  }
}

TEST_F(PaletteItemsTest, EveryItemHasItsTitleDetailIconAndCommand) {
  store->connection = BridgeConnection::connected();
  store->pairing = Pairing::paired;
  using Item = CommandPalette::Item;
  const std::vector<Item> expected{
      {"tab.messages", "Messages", "Go to Messages", "bubble.left.and.bubble.right",
       PaletteCommand::selectTab(HubTab::messages)},
      {"tab.nowPlaying", "Now Playing", "Go to Now Playing", "play.circle",
       PaletteCommand::selectTab(HubTab::nowPlaying)},
      {"tab.clipboard", "Clipboard", "Go to Clipboard", "doc.on.clipboard",
       PaletteCommand::selectTab(HubTab::clipboard)},
      {"tab.links", "Links", "Go to Links", "link", PaletteCommand::selectTab(HubTab::links)},
      {"settings", "Open Settings\u2026", "\u2318,", "gearshape", PaletteCommand::openSettings()},
      {"pair", "Pair a phone\u2026", std::nullopt, "qrcode.viewfinder", PaletteCommand::pair()},
      {"clip", "Turn on clipboard sync", std::nullopt, "doc.on.clipboard",
       PaletteCommand::perform(BridgeAction::setClipboard(true))},
      {"disconnect", "Disconnect", std::nullopt, "power", PaletteCommand::perform(BridgeAction::disconnect())},
  };
  const std::vector<Item> items = CommandPalette::allItems(*store);
  ASSERT_EQ(items.size(), expected.size());
  for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i], expected[i]) << expected[i].id;
}

TEST_F(PaletteItemsTest, TheClipboardCommandTurnsSyncTheOtherWay) {
  store->connection = BridgeConnection::connected();
  const std::vector<std::tuple<bool, std::string, bool>> rows{
      {false, "Turn on clipboard sync", true},
      {true, "Turn off clipboard sync", false},
  };
  for (const auto& [syncing, title, turnsTo] : rows) {
    store->features.modify([&](FeaturePolicy& f) { f.clipboard = syncing; });
    const auto items = CommandPalette::allItems(*store);
    const auto clip = std::find_if(items.begin(), items.end(), [](const auto& item) { return item.id == "clip"; });
    ASSERT_NE(clip, items.end());
    EXPECT_EQ(clip->title, title);
    EXPECT_EQ(clip->run, PaletteCommand::perform(BridgeAction::setClipboard(turnsTo))) << syncing;
  }
}

TEST_F(PaletteItemsTest, ReconnectAsksTheBridgeToConnect) {
  store->pairing = Pairing::paired;
  const auto items = CommandPalette::allItems(*store);
  ASSERT_EQ(items.back().id, "reconnect");
  EXPECT_EQ(items.back().title, "Reconnect");
  EXPECT_EQ(items.back().icon, "arrow.clockwise");
  EXPECT_EQ(items.back().run, PaletteCommand::perform(BridgeAction::connect()));
}

}  // namespace
}  // namespace orvane::testing
