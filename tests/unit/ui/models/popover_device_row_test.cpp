// The popover's device row: the status word and the line under it for every state of
// the link and of the pairing.
#include "ui/models/popover_device_row.hpp"

#include <gtest/gtest.h>

#include "model_fixture.hpp"

namespace orvane::testing {
namespace {

using Pairing = DeviceBridgeStore::PairingStatus;

PhoneStatus reported(std::optional<int> battery, bool charging, bool wifi, bool cellular, bool bluetooth) {
  PhoneStatus status;
  status.batteryPercent = battery;
  status.charging = charging;
  status.wifi = wifi;
  status.wifiEnabled = wifi;
  status.cellular = cellular;
  status.simReady = cellular;
  status.bluetooth = bluetooth;
  return status;
}

class PopoverDeviceRowTest : public ModelTest {};

TEST_F(PopoverDeviceRowTest, StatusWordAndSummaryFollowTheLinkThePairingAndThePhonesReport) {
  PhoneStatus wifiOnButNotJoined = reported(std::nullopt, false, false, false, true);
  wifiOnButNotJoined.wifiEnabled = true;
  const PhoneStatus everything = reported(80, true, true, true, true);
  struct Row {
    BridgeConnection connection;
    Pairing pairing;
    PhoneStatus status;
    bool oldPairing;
    std::string word;
    std::string summary;
  };
  const std::vector<Row> rows{
      {BridgeConnection::disconnected(), Pairing::none, {}, false, "Unpaired", "Not connected"},
      {BridgeConnection::disconnected("Listening"), Pairing::paired, {}, false, "Not connected", "Not connected"},
      {BridgeConnection::reconnecting(2),
       Pairing::paired,
       {},
       false,
       "Reconnecting\u2026 (2)",
       "Reconnecting\u2026 (2)"},
      {BridgeConnection::failed("Port busy"), Pairing::paired, {}, false, "Error", "Error"},
      {BridgeConnection::connecting(), Pairing::paired, {}, false, "Connecting\u2026", "Connecting\u2026"},
      {BridgeConnection::connecting(), Pairing::none, {}, false, "Unpaired", "Connecting\u2026"},
      {BridgeConnection::awaitingApproval("Pixel 8"), Pairing::none, {}, false, "Unpaired", "Awaiting approval"},
      {BridgeConnection::awaitingApproval("Pixel 8"),
       Pairing::paired,
       {},
       false,
       "Awaiting approval",
       "Awaiting approval"},
      {BridgeConnection::disconnected(), Pairing::revoked, {}, false, "Not connected", "Not connected"},
      // A phone refused for an old pairing: the line tells the user to pair again.
      {BridgeConnection::disconnected(), Pairing::none, {}, true, "Unpaired", PopoverDeviceRow::oldPairingSummary},
      {BridgeConnection::reconnecting(1),
       Pairing::paired,
       {},
       true,
       "Reconnecting\u2026 (1)",
       PopoverDeviceRow::oldPairingSummary},
      // Not while a phone is asking to pair, nor once the link is up.
      {BridgeConnection::awaitingApproval("Phone"), Pairing::none, {}, true, "Unpaired", "Awaiting approval"},
      {BridgeConnection::connected(), Pairing::paired, reported(40, false, true, false, false), true, "Live",
       "40% \u00b7 Wi-Fi"},
      // Connected: battery, then Wi-Fi or else cellular, then Bluetooth, each only when so.
      {BridgeConnection::connected(), Pairing::paired, everything, false, "Live",
       "80% charging \u00b7 Wi-Fi \u00b7 Bluetooth"},
      {BridgeConnection::connected(), Pairing::paired, reported(5, false, false, true, false), false, "Live",
       "5% \u00b7 Cellular"},
      {BridgeConnection::connected(), Pairing::paired, reported(0, true, false, false, false), false, "Live",
       "0% charging"},
      {BridgeConnection::connected(), Pairing::paired, wifiOnButNotJoined, false, "Live", "Bluetooth"},
      {BridgeConnection::connected(), Pairing::paired, reported(std::nullopt, true, false, true, true), false, "Live",
       "Cellular \u00b7 Bluetooth"},
      {BridgeConnection::connected(), Pairing::paired, {}, false, "Live", ""},
  };
  for (const Row& row : rows) {
    store->connection = row.connection;
    store->pairing = row.pairing;
    store->phoneStatus = row.status;
    const PopoverDeviceRow shown = PopoverDeviceRow::of(*store, row.oldPairing);
    EXPECT_EQ(shown.statusWord, row.word) << row.connection.caseName() << " old pairing " << row.oldPairing;
    EXPECT_EQ(shown.statusSummary, row.summary) << row.connection.caseName() << " old pairing " << row.oldPairing;
  }
}

TEST_F(PopoverDeviceRowTest, TheOldPairingLineIsWordForWord) {
  store->connection = BridgeConnection::disconnected();
  EXPECT_EQ(PopoverDeviceRow::of(*store, true).statusSummary, "Your phone has an old pairing. Pair again");
}

TEST_F(PopoverDeviceRowTest, TitleIsTheDeviceTitle) {
  EXPECT_EQ(PopoverDeviceRow::of(*store).title, "No device paired");
  pair("Acme Acme Phone");
  EXPECT_EQ(PopoverDeviceRow::of(*store).title, "Acme Phone");
  store->deviceAlias = std::string("Work phone");
  EXPECT_EQ(PopoverDeviceRow::of(*store).title, "Work phone");
}

}  // namespace
}  // namespace orvane::testing
