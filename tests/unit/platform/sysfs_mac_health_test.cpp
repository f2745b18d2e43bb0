// Battery and network readings from a folder laid out like /sys and /proc.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>

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

// Folders that cannot be listed and files that cannot be read are "no battery" and
// "Offline", never an exception. Each row spoils both the power-supply folder and the
// route table; where they were readable they would report a battery and a network.
TEST(SysfsMacHealth, UnreadableKernelFilesReadAsNoBatteryAndOffline) {
  namespace fs = std::filesystem;
  const std::string defaultRoute =
      "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\n"
      "eth0\t00000000\t0100A8C0\t0003\t0\t0\t100\t00000000\n";
  struct Row {
    const char* name;
    std::function<void(const fs::path& supplies, const fs::path& route)> spoil;
    bool readableByRoot;  // root reads through permission bits
  };
  const Row rows[] = {
      {"missing", [](const fs::path&, const fs::path&) {}, false},
      {"a file where the folder is, a folder where the file is",
       [](const fs::path& supplies, const fs::path& route) {
         write(supplies, "BAT0\n");
         fs::create_directories(route);
       },
       false},
      {"no permission",
       [&](const fs::path& supplies, const fs::path& route) {
         write(supplies / "BAT0/type", "Battery\n");
         write(supplies / "BAT0/charge_now", "50\n");
         write(supplies / "BAT0/charge_full", "100\n");
         write(route, defaultRoute);
         ::chmod(supplies.c_str(), 0);
         ::chmod(route.c_str(), 0);
       },
       true},
      {"links that loop",
       [](const fs::path& supplies, const fs::path& route) {
         fs::create_directories(supplies.parent_path());
         fs::create_directories(route.parent_path());
         fs::create_symlink(supplies.filename(), supplies);
         fs::create_symlink(route.filename(), route);
       },
       false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.readableByRoot && ::geteuid() == 0) continue;  // permission bits do not stop root
    testing::TempDir root;
    const fs::path supplies = root.path() / "sys/class/power_supply";
    const fs::path route = root.path() / "proc/net/route";
    row.spoil(supplies, route);

    SysfsMacHealth health(root.path());
    BatteryReading battery;
    NetworkReading network;
    EXPECT_NO_THROW(battery = health.batteryState());
    EXPECT_NO_THROW(network = health.networkState());
    EXPECT_FALSE(battery.level);
    EXPECT_FALSE(battery.charging);
    EXPECT_EQ(network.network, "Offline");
    EXPECT_FALSE(network.signal);

    // Let the temporary folder be removed.
    ::chmod(supplies.c_str(), 0755);
    ::chmod(route.c_str(), 0644);
  }
}

}  // namespace
}  // namespace orvane
