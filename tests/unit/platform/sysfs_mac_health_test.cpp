// Battery and network readings from a folder laid out like /sys and /proc.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/linux/sysfs_mac_health.hpp"
#include "temp_dir.hpp"

namespace orvane {
namespace {

void write(const std::filesystem::path& p, const std::string& text) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p) << text;
}

TEST(SysfsMacHealth, CapacityLevelsRoundHalfAwayFromZero) {
  struct Row {
    long long current, max;
    std::optional<int> level;
  } rows[] = {{57, 100, 57}, {2, 3, 67}, {1, 200, 1}, {5, 0, std::nullopt}, {100, 100, 100}};
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.current) + "/" + std::to_string(r.max));
    EXPECT_EQ(SysfsMacHealth::levelFromCapacity(r.current, r.max), r.level);
  }
}

TEST(SysfsMacHealth, RSSILevels) {
  struct Row {
    int dbm;
    std::optional<int> level;
  } rows[] = {{-50, 3}, {-49, 4}, {-80, 0}, {-70, 1}, {-69, 2}, {-1, 4}, {0, std::nullopt}, {-95, 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.dbm);
    EXPECT_EQ(SysfsMacHealth::levelFromRSSI(r.dbm), r.level);
  }
}

TEST(SysfsMacHealth, ReadsTheBatteryAndTheDefaultRoutesInterface) {
  testing::TempDir root;
  const auto& r = root.path();
  write(r / "sys/class/power_supply/AC/type", "Mains\n");
  write(r / "sys/class/power_supply/BAT0/type", "Battery\n");
  write(r / "sys/class/power_supply/BAT0/status", "Charging\n");
  write(r / "sys/class/power_supply/BAT0/charge_now", "2000\n");
  write(r / "sys/class/power_supply/BAT0/charge_full", "3000\n");
  write(r / "proc/net/route",
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
        "wlp2s0\t0000A8C0\t00000000\t0001\t0\t0\t600\t00FFFFFF\t0\t0\t0\n"
        "wlp2s0\t00000000\t0100A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n");
  write(r / "sys/class/net/wlp2s0/uevent", "DEVTYPE=wlan\nINTERFACE=wlp2s0\n");
  write(r / "proc/net/wireless",
        "Inter-| sta-|   Quality        |   Discarded packets\n"
        " face | tus | link level noise |  nwid  crypt   frag  retry   misc | beacon | 22\n"
        "wlp2s0: 0000   54.  -56.  -256        0      0      0      0     12        0\n");
  SysfsMacHealth health(r);
  auto battery = health.batteryState();
  EXPECT_EQ(battery.level, 67);
  EXPECT_TRUE(battery.charging);
  auto network = health.networkState();
  EXPECT_EQ(network.network, "Wi-Fi");
  EXPECT_EQ(network.signal, 3);
}

TEST(SysfsMacHealth, DesktopWithoutBatteryOnAnotherKindOfInterface) {
  testing::TempDir root;
  const auto& r = root.path();
  write(r / "sys/class/power_supply/AC/type", "Mains\n");
  write(r / "proc/net/route", "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\nwg0\t00000000\t00000000\t0001\t0\t0\t0\t00000000\n");
  write(r / "sys/class/net/wg0/type", "65534\n");
  SysfsMacHealth health(r);
  auto battery = health.batteryState();
  EXPECT_FALSE(battery.level);
  EXPECT_FALSE(battery.charging);
  EXPECT_EQ(health.networkState().network, "Ethernet") << "neither Wi-Fi nor Ethernet is reported as Ethernet";
  EXPECT_FALSE(health.networkState().signal);

  testing::TempDir empty;
  EXPECT_EQ(SysfsMacHealth(empty.path()).networkState().network, "Offline");
}

}  // namespace
}  // namespace orvane
