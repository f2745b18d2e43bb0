// The MPRIS reader where no session bus can be reached. Qt connects to the session bus
// once per process, so the address is pointed nowhere before anything here asks for it;
// nothing else in this program uses the bus.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <chrono>
#include <optional>

#include "../platform/scoped_env.hpp"
#include "platform/qt/mpris_now_playing_reader.hpp"
#include "platform/qt/qt_main_queue.hpp"

namespace orvane {
namespace {

TEST(MprisReaderWithoutABus, SaysItCanNeverAnswerHearsNothingAndReadsNone) {
  test::ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", std::string("unix:path=/nonexistent/orvane-no-bus"));
  auto main = std::make_shared<QtMainQueue>();
  MprisNowPlayingReader reader(main, Logger(nullptr, "test"));
  EXPECT_FALSE(reader.canAnswer());
  EXPECT_FALSE(reader.watchChanges([] {})) << "changes cannot be heard either";

  bool completed = false;
  std::optional<MacMediaReader::Response> answer = MacMediaReader::Response{};
  reader.readNowPlaying([&](const std::optional<MacMediaReader::Response>& response) {
    answer = response;
    completed = true;
  });
  // The read goes through the main queue: Qt's loop runs it, for a few seconds at most.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!completed && std::chrono::steady_clock::now() < giveUp) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  EXPECT_TRUE(completed);
  EXPECT_EQ(answer, std::nullopt);
}

}  // namespace
}  // namespace orvane
