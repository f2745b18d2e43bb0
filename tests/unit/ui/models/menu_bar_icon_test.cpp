// The tray icon's dot and spoken label follow the connection alone.
#include "ui/models/menu_bar_icon.hpp"

#include <gtest/gtest.h>

#include "model_fixture.hpp"

namespace orvane::testing {
namespace {

class MenuBarIconTest : public ModelTest {};

TEST_F(MenuBarIconTest, TheDotTurnsGreenAndTheLabelSaysConnectedExactlyWhileConnected) {
  const std::vector<std::pair<BridgeConnection, MenuBarIcon>> rows{
      {BridgeConnection::connected(), {true, "Orvane, phone connected"}},
      {BridgeConnection::disconnected(), {false, "Orvane, phone disconnected"}},
      {BridgeConnection::awaitingApproval("Pixel 8"), {false, "Orvane, phone disconnected"}},
      {BridgeConnection::reconnecting(3), {false, "Orvane, phone disconnected"}},
      {BridgeConnection::failed("Port busy"), {false, "Orvane, phone disconnected"}},
      {BridgeConnection::connecting(), {false, "Orvane, phone disconnected"}},
  };
  pair("Pixel 8");
  for (const auto& [connection, icon] : rows) {
    store->connection = connection;
    EXPECT_EQ(MenuBarIcon::of(*store), icon) << connection.caseName();
  }
}

}  // namespace
}  // namespace orvane::testing
