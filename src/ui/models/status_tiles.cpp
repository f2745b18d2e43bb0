#include "ui/models/status_tiles.hpp"

namespace orvane {

namespace {

// "battery.0" (not reported, or below 15) up to "battery.100"; the bolt while charging.
std::string batterySymbol(const PhoneStatus& status) {
  if (status.charging) return "battery.100.bolt";
  if (!status.batteryPercent) return "battery.0";
  const int level = *status.batteryPercent;
  if (level < 15) return "battery.0";
  if (level < 40) return "battery.25";
  if (level < 70) return "battery.50";
  if (level < 90) return "battery.75";
  return "battery.100";
}

StatusTile batteryTile(const PhoneStatus& status) {
  StatusTile tile{"Battery", "\u2014", batterySymbol(status), false};
  if (status.batteryPercent) {
    tile.value = std::to_string(*status.batteryPercent) + "%";
    tile.warning = *status.batteryPercent <= StatusTiles::lowBatteryPercent;
  }
  return tile;
}

// Joined to a network counts as switched on even if the phone left the other flag out.
StatusTile wifiTile(const PhoneStatus& status) {
  const bool on = status.wifi || status.wifiEnabled;
  return {"Wi-Fi", status.wifiLabel(), on ? "wifi" : "wifi.slash", false};
}

StatusTile cellularTile(const PhoneStatus& status) {
  if (!status.simReady) return {"Cellular", "No SIM", "antenna.radiowaves.left.and.right.slash", false};
  if (status.signalLevel == 0) return {"Cellular", "No signal", "antenna.radiowaves.left.and.right.slash", false};
  return {"Cellular", status.cellular ? "On" : "Standby", "antenna.radiowaves.left.and.right", false};
}

StatusTile bluetoothTile(const PhoneStatus& status) {
  return {"Bluetooth", status.bluetooth ? "On" : "Off",
          status.bluetooth ? "dot.radiowaves.left.and.right" : "circle.slash", false};
}

}  // namespace

StatusTiles StatusTiles::of(const PhoneStatus& status) {
  return {batteryTile(status), wifiTile(status), cellularTile(status), bluetoothTile(status)};
}

}  // namespace orvane
