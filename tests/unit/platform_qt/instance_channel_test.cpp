// The single-instance channel on real local sockets in a temporary runtime folder: a
// message reaches the listening program on its event loop, a second listener is turned
// away, the socket is this user's alone, one left by a program that ended is replaced,
// and nothing listens after the channel is gone.
#include "platform/qt/instance_channel.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <fstream>

#include "../platform/scoped_env.hpp"
#include "qt_application_environment.hpp"
#include "temp_dir.hpp"

namespace orvane {
namespace {

[[maybe_unused]] const auto* const environment = testing::addQtApplicationEnvironment<QCoreApplication>();

class InstanceChannelTest : public ::testing::Test {
 protected:
  // Runs the event loop until `done` or two seconds pass.
  bool runUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
  }
  testing::TempDir runtime;
  test::ScopedEnv env{"XDG_RUNTIME_DIR", runtime.path().string()};
};

TEST_F(InstanceChannelTest, AMessageReachesTheRunningProgramAndASecondListenerIsTurnedAway) {
  EXPECT_FALSE(InstanceChannel::send("raise")) << "nobody listens yet";
  std::vector<std::string> received;
  auto channel = InstanceChannel::listen([&](const std::string& m) { received.push_back(m); });
  ASSERT_TRUE(channel) << channel.error();
  EXPECT_EQ(InstanceChannel::socketPath(), runtime.path() / "orvane" / "instance.sock");

  struct stat info {};
  ASSERT_EQ(::stat(InstanceChannel::socketPath().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u) << "the socket is this user's alone";
  ASSERT_EQ(::stat(InstanceChannel::socketPath().parent_path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  EXPECT_TRUE(InstanceChannel::send("raise"));
  EXPECT_TRUE(InstanceChannel::send("open orvane://send-url?u=https://example.org/a?b=1&c=2"));
  ASSERT_TRUE(runUntil([&] { return received.size() == 2; }));
  EXPECT_EQ(received, (std::vector<std::string>{"raise", "open orvane://send-url?u=https://example.org/a?b=1&c=2"}));

  const auto second = InstanceChannel::listen([](const std::string&) {});
  ASSERT_FALSE(second);
  EXPECT_EQ(second.error(), "another Orvane is running");

  channel->reset();
  EXPECT_FALSE(std::filesystem::exists(InstanceChannel::socketPath())) << "the socket goes with the channel";
  EXPECT_FALSE(InstanceChannel::send("raise"));
}

TEST_F(InstanceChannelTest, ASocketLeftByAProgramThatEndedIsReplaced) {
  std::filesystem::create_directories(runtime.path() / "orvane");
  std::ofstream(InstanceChannel::socketPath()) << "left over";
  std::vector<std::string> received;
  auto channel = InstanceChannel::listen([&](const std::string& m) { received.push_back(m); });
  ASSERT_TRUE(channel) << channel.error();
  EXPECT_TRUE(InstanceChannel::send("raise"));
  EXPECT_TRUE(runUntil([&] { return received.size() == 1; }));
}

}  // namespace
}  // namespace orvane
