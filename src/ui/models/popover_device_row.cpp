#include "ui/models/popover_device_row.hpp"

#include <variant>
#include <vector>

namespace orvane {

namespace {

std::string wordFor(const BridgeConnection& connection, DeviceBridgeStore::PairingStatus pairing) {
  if (connection.isConnected()) return "Live";
  if (pairing == DeviceBridgeStore::PairingStatus::none) return "Unpaired";
  return connection.title();
}

// What the phone last said of itself: battery, the radio its data goes over, Bluetooth.
std::string connectedSummary(const PhoneStatus& status) {
  std::vector<std::string> parts;
  if (status.batteryPercent) {
    parts.push_back(std::to_string(*status.batteryPercent) + (status.charging ? "% charging" : "%"));
  }
  // `wifi` means joined to a network: a phone with Wi-Fi switched on but joined to
  // none sends its data over the cellular network.
  if (status.wifi) {
    parts.push_back("Wi-Fi");
  } else if (status.cellular) {
    parts.push_back("Cellular");
  }
  if (status.bluetooth) parts.push_back("Bluetooth");
  std::string joined;
  for (const std::string& part : parts) {
    if (!joined.empty()) joined += " \u00b7 ";
    joined += part;
  }
  return joined;
}

std::string summaryFor(const BridgeConnection& connection, const PhoneStatus& status, bool oldPairing) {
  if (connection.isConnected()) return connectedSummary(status);
  const bool awaitingApproval = std::holds_alternative<BridgeConnection::AwaitingApproval>(connection.value);
  if (oldPairing && !awaitingApproval) return PopoverDeviceRow::oldPairingSummary;
  return connection.title();
}

}  // namespace

PopoverDeviceRow PopoverDeviceRow::of(const DeviceBridgeStore& store, bool oldPairing) {
  return {store.deviceTitle(), wordFor(*store.connection, *store.pairing),
          summaryFor(*store.connection, *store.phoneStatus, oldPairing)};
}

}  // namespace orvane
