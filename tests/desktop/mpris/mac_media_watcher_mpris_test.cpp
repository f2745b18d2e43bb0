// The whole watch on this desktop: MacMediaWatcher on its own thread with the MPRIS
// reader, handing the hub's handlers the playing track with its cover, its pause, and
// the player's leaving.
#include <gtest/gtest.h>

#include "app/mac_media_watcher.hpp"
#include "base/thread_queue.hpp"
#include "mpris_session.hpp"
#include "platform/qt/mpris_now_playing_reader.hpp"
#include "platform/qt/qt_main_queue.hpp"
#include "wake/wait_until.hpp"

namespace orvane::testing {
namespace {

struct Seen {
  std::vector<std::optional<MacMediaObserver::Track>> reports;  // none: unavailable
};

TEST(MacMediaWatcherOnMpris, TheTrackItsPauseAndThePlayersLeavingReachTheHandlers) {
  auto queue = std::make_shared<ThreadQueue>("zel.mac-media");
  auto main = std::make_shared<QtMainQueue>();
  auto reader = std::make_shared<MprisNowPlayingReader>(main, Logger(nullptr, "test"));
  MacMediaWatcherServices services;
  services.queue = queue;
  services.main = main;
  services.reader = reader;
  Seen seen;
  auto watcher = std::make_shared<MacMediaWatcher>(std::move(services));
  EXPECT_EQ(watcher->mode(), MacMediaWatcher::Mode::watch) << "changes are heard, not polled";
  watcher->setHandlers([&](const std::optional<MacMediaObserver::Track>& track) { seen.reports.push_back(track); },
                       [&] { seen.reports.push_back(std::nullopt); });
  watcher->refresh();
  ASSERT_TRUE(waitUntil([&] { return seen.reports.size() == 1; }, kPatience));
  EXPECT_FALSE(seen.reports[0]) << "nothing plays yet";

  ASSERT_TRUE(startPlayer());
  auto last = [&] { return seen.reports.empty() ? std::nullopt : seen.reports.back(); };
  ASSERT_TRUE(waitUntil([&] { return last() && last()->title == "Test Tone" && last()->playing; }, kPatience));
  EXPECT_EQ(*last(), (MacMediaObserver::Track{"mpv", "Test Tone", "Orvane Band", "Signals", true, coverBytes()}));

  ASSERT_TRUE(playerctl("pause"));
  ASSERT_TRUE(waitUntil([&] { return last() && !last()->playing; }, kPatience));

  ASSERT_TRUE(stopPlayer());
  ASSERT_TRUE(waitUntil([&] { return !seen.reports.empty() && !seen.reports.back(); }, kPatience))
      << "the player's leaving is reported as unavailable";
  watcher.reset();
  queue.reset();
}

}  // namespace
}  // namespace orvane::testing
