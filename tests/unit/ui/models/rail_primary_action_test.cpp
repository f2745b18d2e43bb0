// The rail's primary button for every state of the link and the pairing, what a click
// does, and the question asked before disconnecting.
#include "ui/models/rail_primary_action.hpp"

#include <gtest/gtest.h>

#include "model_fixture.hpp"

namespace orvane::testing {
namespace {

using Pairing = DeviceBridgeStore::PairingStatus;
using Kind = RailPrimaryAction::Kind;

class RailPrimaryActionTest : public ModelTest {};

TEST_F(RailPrimaryActionTest, TheButtonFollowsTheLinkThenThePairingAndDoesItsOneThing) {
  struct Row {
    BridgeConnection connection;
    Pairing pairing;
    Kind kind;
    std::string title;
    std::string symbol;
    std::optional<std::string> help;
    bool asks;                        // a confirmation is shown, nothing sent
    std::vector<BridgeAction> sends;  // on the click itself
    int pairsRun;
  };
  const std::string keep = "Keep the pairing and close the link";
  const std::vector<Row> rows{
      {BridgeConnection::connected(), Pairing::paired, Kind::disconnect, "Disconnect", "power", keep, true, {}, 0},
      // Connected wins over the pairing state.
      {BridgeConnection::connected(), Pairing::none, Kind::disconnect, "Disconnect", "power", keep, true, {}, 0},
      {BridgeConnection::disconnected(),
       Pairing::none,
       Kind::pair,
       "Pair a device",
       "qrcode",
       std::nullopt,
       false,
       {},
       1},
      {BridgeConnection::awaitingApproval("Pixel"),
       Pairing::none,
       Kind::pair,
       "Pair a device",
       "qrcode",
       std::nullopt,
       false,
       {},
       1},
      {BridgeConnection::disconnected("Listening"),
       Pairing::paired,
       Kind::reconnect,
       "Reconnect",
       "arrow.clockwise",
       std::nullopt,
       false,
       {BridgeAction::connect()},
       0},
      {BridgeConnection::reconnecting(3),
       Pairing::paired,
       Kind::reconnect,
       "Reconnect",
       "arrow.clockwise",
       std::nullopt,
       false,
       {BridgeAction::connect()},
       0},
      {BridgeConnection::failed("Port busy"),
       Pairing::paired,
       Kind::reconnect,
       "Reconnect",
       "arrow.clockwise",
       std::nullopt,
       false,
       {BridgeAction::connect()},
       0},
      {BridgeConnection::connecting(),
       Pairing::revoked,
       Kind::reconnect,
       "Reconnect",
       "arrow.clockwise",
       std::nullopt,
       false,
       {BridgeAction::connect()},
       0},
  };
  for (const Row& row : rows) {
    sent.clear();
    store->connection = row.connection;
    store->pairing = row.pairing;
    const RailPrimaryAction action = RailPrimaryAction::of(*store);
    const std::string label = row.connection.title() + " / " + std::to_string(static_cast<int>(row.pairing));
    EXPECT_EQ(action.kind, row.kind) << label;
    EXPECT_EQ(action.title, row.title) << label;
    EXPECT_EQ(action.symbol, row.symbol) << label;
    EXPECT_EQ(action.help, row.help) << label;
    int pairsRun = 0;
    const std::optional<Confirmation> question = action.press(*store, [&] { ++pairsRun; });
    EXPECT_EQ(question.has_value(), row.asks) << label;
    EXPECT_EQ(sent, row.sends) << label;
    EXPECT_EQ(pairsRun, row.pairsRun) << label;
  }
}

TEST_F(RailPrimaryActionTest, DisconnectingAsksFirstAndOnlyConfirmingSends) {
  store->connection = BridgeConnection::connected();
  store->pairing = Pairing::paired;
  const std::optional<Confirmation> question = RailPrimaryAction::of(*store).press(*store, {});
  ASSERT_TRUE(question.has_value());
  EXPECT_EQ(question->title, "Disconnect from this phone?");
  EXPECT_EQ(question->message, "The pairing is kept. You can reconnect at any time.");
  EXPECT_EQ(question->confirmTitle, "Disconnect");
  EXPECT_EQ(question->cancelTitle, "Cancel");
  struct Row {
    bool confirmed;
    std::vector<BridgeAction> sends;
  };
  const std::vector<Row> rows{{false, {}}, {true, {BridgeAction::disconnect()}}};
  for (const Row& row : rows) {
    sent.clear();
    if (row.confirmed) question->confirm(*store);
    EXPECT_EQ(sent, row.sends) << row.confirmed;
  }
}

TEST_F(RailPrimaryActionTest, ClicksWithNothingInstalledDoNothing) {
  store->perform = nullptr;
  struct Row {
    BridgeConnection connection;
    Pairing pairing;
  };
  const std::vector<Row> rows{{BridgeConnection::disconnected(), Pairing::none},
                              {BridgeConnection::disconnected(), Pairing::paired},
                              {BridgeConnection::connected(), Pairing::paired}};
  for (const Row& row : rows) {
    store->connection = row.connection;
    store->pairing = row.pairing;
    const RailPrimaryAction action = RailPrimaryAction::of(*store);
    const std::optional<Confirmation> question = action.press(*store, nullptr);
    if (question) question->confirm(*store);
    EXPECT_EQ(question.has_value(), row.connection.isConnected()) << row.connection.title();
  }
  EXPECT_TRUE(sent.empty());
}

}  // namespace
}  // namespace orvane::testing
