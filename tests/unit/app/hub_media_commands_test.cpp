// The phone's playback commands through the real server and the hub: whether this
// computer plays is answered from the hub's track while it is fresh, which decides
// whether the command needs doing; the result comes back to the hub.
#include <gtest/gtest.h>

#include <future>

#include "base/thread_queue.hpp"
#include "hub_fixture.hpp"
#include "server_harness.hpp"

namespace orvane::testing {
namespace {

using std::chrono::seconds;
using Dispatch = MediaKeyPoster::Dispatch;

class HubMediaCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    h.storePairedDevice();
    AppStateServices s;
    s.main = main;
    s.clock = &h.clock;
    s.defaults = std::make_shared<MemoryUserDefaults>();
    s.server = h.server;
    s.pasteboard = std::make_shared<MemoryPasteboard>();
    s.macMedia = macMedia;
    // The main thread here is a real one: on a loaded machine it may take longer than
    // the product's half second to answer, which would make the answer "unknown".
    s.macIsPlayingWait = std::chrono::seconds(30);
    onMain([&] { hub = AppState::create(s, false); });
    h.start();
    phone = h.authenticatedConnection();
    h.mediaKeys->trusted = true;
  }
  void TearDown() override {
    onMain([&] { hub.reset(); });
  }

  void onMain(std::function<void()> work) {
    std::promise<void> done;
    main->post([&] {
      work();
      done.set_value();
    });
    done.get_future().wait();
  }

  // The phone's command, carried out on the server's queue (this thread) while the
  // hub's thread answers; returns the hub's last dispatch once it has it.
  std::optional<Dispatch> command(const std::string& cmd) {
    phone->deliverEnvelope("maccmd", {{"cmd", cmd}});
    h.run();
    std::optional<Dispatch> last;
    onMain([&] { last = *hub->lastMediaDispatch; });
    return last;
  }

  ServerHarness h;
  std::shared_ptr<ThreadQueue> main = std::make_shared<ThreadQueue>("main");
  std::shared_ptr<FakeMacMedia> macMedia = std::make_shared<FakeMacMedia>();
  std::shared_ptr<AppState> hub;
  std::shared_ptr<FakeConnection> phone;
};

TEST_F(HubMediaCommands, PlayWhileATrackUpdatedThreeSecondsAgoPlaysNeedsNothingTwentySecondsLaterItGoesAhead) {
  onMain([&] { macMedia->onChange(MacMediaObserver::Track{"mpv", "Tone", {}, {}, true, {}}); });
  h.clock.advance(seconds(3));
  EXPECT_EQ(command("play"), Dispatch::noChangeNeeded);
  EXPECT_TRUE(h.mediaKeys->keys.empty()) << "nothing was pressed";
  EXPECT_TRUE(h.mediaKeys->adapterCalls.empty());

  h.clock.advance(seconds(17));
  EXPECT_EQ(command("play"), Dispatch::posted) << "the track is too old to tell: the command goes ahead";
  EXPECT_EQ(h.mediaKeys->adapterCalls, std::vector<int>{0});
  EXPECT_EQ(h.mediaKeys->keys, std::vector<int>{16});
}

TEST_F(HubMediaCommands, PauseWithNoTrackKnownGoesAhead) {
  EXPECT_EQ(command("pause"), Dispatch::posted);
  EXPECT_EQ(h.mediaKeys->keys, std::vector<int>{16});
}

TEST_F(HubMediaCommands, StopIsIgnoredAndLeavesTheLastResult) {
  EXPECT_EQ(command("next"), Dispatch::posted);
  EXPECT_EQ(command("stop"), Dispatch::posted) << "unchanged: stop was never carried out";
  EXPECT_EQ(h.mediaKeys->keys, std::vector<int>{17});
}

TEST_F(HubMediaCommands, NoPlayerToTakeTheKeyIsPermissionUnavailable) {
  h.mediaKeys->keyTaken = false;
  EXPECT_EQ(command("toggle"), Dispatch::permissionUnavailable);
}

}  // namespace
}  // namespace orvane::testing
