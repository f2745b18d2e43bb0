#include "platform/linux/sysfs_mac_health.hpp"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

namespace orvane {

namespace {

std::optional<std::string> readLine(const std::filesystem::path& p) {
  std::ifstream in(p);
  std::string line;
  if (!in || !std::getline(in, line)) return std::nullopt;
  while (!line.empty() && (line.back() == '\n' || line.back() == ' ' || line.back() == '\r')) line.pop_back();
  return line;
}

std::optional<long long> readNumber(const std::filesystem::path& p) {
  auto line = readLine(p);
  if (!line || line->empty()) return std::nullopt;
  try {
    std::size_t used = 0;
    long long v = std::stoll(*line, &used);
    if (used != line->size()) return std::nullopt;
    return v;
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace

SysfsMacHealth::SysfsMacHealth(std::filesystem::path root) : root_(std::move(root)) {}

std::optional<int> SysfsMacHealth::levelFromCapacity(long long current, long long max) {
  if (max < 1) return std::nullopt;
  const double level = static_cast<double>(current) / static_cast<double>(max) * 100.0;
  return static_cast<int>(std::round(level));
}

std::optional<int> SysfsMacHealth::levelFromRSSI(int dbm) {
  if (dbm >= 0) return std::nullopt;
  if (dbm <= -80) return 0;
  if (dbm <= -70) return 1;
  if (dbm <= -60) return 2;
  if (dbm <= -50) return 3;
  return 4;
}

BatteryReading SysfsMacHealth::batteryState() {
  const auto folder = root_ / "sys/class/power_supply";
  std::vector<std::filesystem::path> supplies;
  // The error_code forms only: a folder that is missing, is not a folder or cannot be
  // read means no battery, and a listing that fails part way ends there; neither may
  // throw. (A range-for would advance with the throwing operator++.)
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    supplies.push_back(it->path());
  }
  std::sort(supplies.begin(), supplies.end());
  for (const auto& supply : supplies) {
    if (readLine(supply / "type") != "Battery") continue;
    BatteryReading reading;
    reading.charging = readLine(supply / "status") == "Charging";
    // energy_* (µWh) or charge_* (µAh): whichever pair the battery reports.
    for (const char* kind : {"energy", "charge"}) {
      auto now = readNumber(supply / (std::string(kind) + "_now"));
      auto full = readNumber(supply / (std::string(kind) + "_full"));
      if (now && full) {
        reading.level = levelFromCapacity(*now, *full);
        break;
      }
    }
    return reading;
  }
  return {};
}

std::optional<std::string> SysfsMacHealth::primaryInterface() const {
  std::ifstream in(root_ / "proc/net/route");
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string iface, destination, gateway, flags, refcnt, use, metric, mask;
    if (!(fields >> iface >> destination >> gateway >> flags >> refcnt >> use >> metric >> mask)) continue;
    if (destination == "00000000" && mask == "00000000") return iface;
  }
  return std::nullopt;
}

std::optional<std::string> SysfsMacHealth::interfaceType(const std::string& name) const {
  const auto dev = root_ / "sys/class/net" / name;
  std::error_code ec;
  if (std::filesystem::exists(dev / "wireless", ec)) return "Wi-Fi";
  std::ifstream uevent(dev / "uevent");
  std::string line;
  while (std::getline(uevent, line))
    if (line == "DEVTYPE=wlan") return "Wi-Fi";
  if (readLine(dev / "type") == "1") return "Ethernet";
  return std::nullopt;
}

std::optional<int> SysfsMacHealth::wifiSignal(const std::string& name) const {
  std::ifstream in(root_ / "proc/net/wireless");
  std::string line;
  while (std::getline(in, line)) {
    auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string iface = line.substr(0, colon);
    iface.erase(0, iface.find_first_not_of(' '));
    if (iface != name) continue;
    std::istringstream fields(line.substr(colon + 1));
    std::string status, link, level;
    if (!(fields >> status >> link >> level)) return std::nullopt;
    if (!level.empty() && level.back() == '.') level.pop_back();
    try {
      return levelFromRSSI(std::stoi(level));
    } catch (...) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

NetworkReading SysfsMacHealth::networkState() {
  auto primary = primaryInterface();
  if (!primary) return {"Offline", std::nullopt};
  if (interfaceType(*primary) == "Wi-Fi") return {"Wi-Fi", wifiSignal(*primary)};
  // Every other kind (Ethernet, VPN, bridge, unknown) is reported as Ethernet.
  return {"Ethernet", std::nullopt};
}

}  // namespace orvane
