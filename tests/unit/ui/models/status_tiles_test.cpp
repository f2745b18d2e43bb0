// The rail's status tiles: each reading, its symbol, and the low-battery tint, at the
// edges of every step.
#include "ui/models/status_tiles.hpp"

#include <gtest/gtest.h>

#include "model_fixture.hpp"

namespace orvane::testing {
namespace {

TEST(StatusTiles, BatteryShowsThePercentItsStepAndTheWarningAtTwentyAndBelow) {
  struct Row {
    std::optional<int> percent;
    bool charging;
    std::string value;
    std::string symbol;
    bool warning;
  };
  const std::vector<Row> rows{
      {std::nullopt, false, "\u2014", "battery.0", false},
      {std::nullopt, true, "\u2014", "battery.100.bolt", false},
      {0, false, "0%", "battery.0", true},
      {14, false, "14%", "battery.0", true},
      {15, false, "15%", "battery.25", true},
      {20, false, "20%", "battery.25", true},
      {21, false, "21%", "battery.25", false},
      {39, false, "39%", "battery.25", false},
      {40, false, "40%", "battery.50", false},
      {69, false, "69%", "battery.50", false},
      {70, false, "70%", "battery.75", false},
      {89, false, "89%", "battery.75", false},
      {90, false, "90%", "battery.100", false},
      {100, false, "100%", "battery.100", false},
      // Charging shows the bolt whatever the level; a low level still warns.
      {5, true, "5%", "battery.100.bolt", true},
      {60, true, "60%", "battery.100.bolt", false},
  };
  for (const Row& row : rows) {
    PhoneStatus status;
    status.batteryPercent = row.percent;
    status.charging = row.charging;
    const StatusTile tile = StatusTiles::of(status).battery;
    const std::string label = row.percent ? std::to_string(*row.percent) : "none";
    EXPECT_EQ(tile.label, "Battery");
    EXPECT_EQ(tile.value, row.value) << label;
    EXPECT_EQ(tile.symbol, row.symbol) << label << " charging " << row.charging;
    EXPECT_EQ(tile.warning, row.warning) << label;
  }
}

TEST(StatusTiles, WifiShowsThePhonesLabelAndWhetherItIsSwitchedOn) {
  struct Row {
    bool joined;
    bool enabled;
    std::optional<int> level;
    std::string value;
    std::string symbol;
  };
  const std::vector<Row> rows{
      {false, false, std::nullopt, "Off", "wifi.slash"},
      {false, true, std::nullopt, "On", "wifi"},
      {true, true, std::nullopt, "Connected", "wifi"},
      {true, true, 0, "Connected", "wifi"},
      {true, true, 1, "Weak", "wifi"},
      {true, true, 2, "Fair", "wifi"},
      {true, true, 3, "Good", "wifi"},
      {true, true, 4, "Excellent", "wifi"},
      // Joined without saying it is on: still on.
      {true, false, 3, "Good", "wifi"},
  };
  for (const Row& row : rows) {
    PhoneStatus status;
    status.wifi = row.joined;
    status.wifiEnabled = row.enabled;
    status.wifiLevel = row.level;
    const StatusTile tile = StatusTiles::of(status).wifi;
    EXPECT_EQ(tile.label, "Wi-Fi");
    EXPECT_EQ(tile.value, row.value) << row.joined << row.enabled;
    EXPECT_EQ(tile.symbol, row.symbol) << row.joined << row.enabled;
    EXPECT_FALSE(tile.warning);
  }
}

TEST(StatusTiles, CellularSaysNoSimThenNoSignalThenWhetherDataGoesOverIt) {
  struct Row {
    bool simReady;
    std::optional<int> signal;
    bool cellular;
    std::string value;
  };
  const std::vector<Row> rows{
      {false, std::nullopt, false, "No SIM"},
      {false, 0, true, "No SIM"},
      {false, 4, true, "No SIM"},
      {true, 0, false, "No signal"},
      {true, 0, true, "No signal"},
      // An unknown level is not a missing signal.
      {true, std::nullopt, false, "Standby"},
      {true, std::nullopt, true, "On"},
      {true, 1, false, "Standby"},
      {true, 1, true, "On"},
      {true, 4, true, "On"},
  };
  for (const Row& row : rows) {
    PhoneStatus status;
    status.simReady = row.simReady;
    status.signalLevel = row.signal;
    status.cellular = row.cellular;
    const StatusTile tile = StatusTiles::of(status).cellular;
    EXPECT_EQ(tile.label, "Cellular");
    EXPECT_EQ(tile.value, row.value) << row.simReady << " " << row.signal.value_or(-1) << " " << row.cellular;
    EXPECT_FALSE(tile.symbol.empty());
  }
}

TEST(StatusTiles, BluetoothIsOnOrOff) {
  struct Row {
    bool on;
    std::string value;
  };
  const std::vector<Row> rows{{true, "On"}, {false, "Off"}};
  for (const Row& row : rows) {
    PhoneStatus status;
    status.bluetooth = row.on;
    const StatusTile tile = StatusTiles::of(status).bluetooth;
    EXPECT_EQ(tile.label, "Bluetooth");
    EXPECT_EQ(tile.value, row.value);
  }
  PhoneStatus on;
  on.bluetooth = true;
  EXPECT_NE(StatusTiles::of(on).bluetooth.symbol, StatusTiles::of(PhoneStatus{}).bluetooth.symbol);
}

class StatusTilesStoreTest : public ModelTest {};

TEST_F(StatusTilesStoreTest, TheGridReadsTheStoresReportInItsOrderLinkUpOrNot) {
  PhoneStatus status;
  status.batteryPercent = 57;
  status.wifi = true;
  status.wifiEnabled = true;
  status.wifiLevel = 2;
  status.simReady = true;
  status.bluetooth = true;
  store->phoneStatus = status;
  struct Row {
    BridgeConnection connection;
  };
  const std::vector<Row> rows{{BridgeConnection::connected()}, {BridgeConnection::disconnected()}};
  for (const Row& row : rows) {
    store->connection = row.connection;
    const std::array<StatusTile, 4> tiles = StatusTiles::of(*store).inOrder();
    const std::array<std::string, 4> labels{"Battery", "Wi-Fi", "Cellular", "Bluetooth"};
    const std::array<std::string, 4> values{"57%", "Fair", "Standby", "On"};
    for (std::size_t i = 0; i < tiles.size(); ++i) {
      EXPECT_EQ(tiles[i].label, labels[i]) << row.connection.title();
      EXPECT_EQ(tiles[i].value, values[i]) << row.connection.title();
    }
  }
  // Before any report: every flag off, no levels.
  store->phoneStatus = PhoneStatus{};
  const std::array<StatusTile, 4> fresh = StatusTiles::of(*store).inOrder();
  const std::array<std::string, 4> freshValues{"\u2014", "Off", "No SIM", "Off"};
  for (std::size_t i = 0; i < fresh.size(); ++i) EXPECT_EQ(fresh[i].value, freshValues[i]) << i;
}

}  // namespace
}  // namespace orvane::testing
