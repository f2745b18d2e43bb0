// LogindWakeSignal where it cannot listen: no system bus at the address given, or made
// off the main thread. It must say so, log it once, and stay harmless to use.
//
// The first case needs a process that has not yet opened the system bus (Qt opens it
// once per process): CTest runs it alone; run by hand, give it its own --gtest_filter.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "platform/qt/logind_wake_signal.hpp"
#include "temp_dir.hpp"
#include "test_process.hpp"

namespace orvane {
namespace {

TEST(LogindWakeSignalUnreachable, NoSystemBusMeansNotListeningSaidOnce) {
  ASSERT_FALSE(testing::systemBusUsed()) << "this process has opened the system bus already; run this case alone";
  testing::TempDir dir;
  const std::string address = "unix:path=" + (dir.path() / "no_bus_here").string();
  ASSERT_EQ(setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1), 0);

  auto sink = std::make_shared<RecordingLogSink>();
  LogindWakeSignal wake(Logger(sink, "wake"));
  int calls = 0;
  wake.setHandler([&] { ++calls; });

  ASSERT_FALSE(wake.listening());
  EXPECT_NE(wake.listening().error().find("system bus"), std::string::npos) << wake.listening().error();
  const auto entries = sink->entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].level, LogLevel::error);
  EXPECT_EQ(entries[0].category, "wake");
  EXPECT_NE(entries[0].message.find(wake.listening().error()), std::string::npos) << entries[0].message;
  EXPECT_EQ(calls, 0);
}

TEST(LogindWakeSignalUnreachable, MadeOffTheMainThreadMeansNotListening) {
  auto sink = std::make_shared<RecordingLogSink>();
  std::string why;
  bool listening = true;
  std::thread([&] {
    LogindWakeSignal wake(Logger(sink, "wake"));
    listening = wake.listening().has_value();
    if (!listening) why = wake.listening().error();
  }).join();

  EXPECT_FALSE(listening);
  EXPECT_NE(why.find("main thread"), std::string::npos) << why;
  EXPECT_EQ(sink->entries().size(), 1u);
}

}  // namespace
}  // namespace orvane
