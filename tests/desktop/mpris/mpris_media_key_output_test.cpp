// The phone's commands carried out on a real mpv through MPRIS, from another thread as
// the server's queue does, read back with playerctl.
#include <gtest/gtest.h>

#include <future>

#include "features/media/media_key_poster.hpp"
#include "mpris_session.hpp"
#include "platform/qt/mpris_media_key_output.hpp"
#include "wake/wait_until.hpp"

namespace orvane::testing {
namespace {

using Dispatch = MediaKeyPoster::Dispatch;

class MprisCommands : public ::testing::Test {
 protected:
  void TearDown() override {
    if (playing_) {
      EXPECT_TRUE(stopPlayer());
    }
  }
  void play() {
    ASSERT_TRUE(startPlayer());
    playing_ = true;
  }
  // MediaKeyPoster's decision and press, on a thread of its own while this one waits
  // without running Qt's event loop: the calls must not need the main thread.
  Dispatch post(const std::string& command, std::optional<bool> playing = std::nullopt) {
    return std::async(std::launch::async, [&] { return MediaKeyPoster::post(command, playing, output); }).get();
  }
  bool statusBecomes(const std::string& status) {
    return waitUntil([&] { return playerStatus() == status; }, kPatience);
  }

  MprisMediaKeyOutput output{nullptr, Logger(nullptr, "test")};
  bool playing_ = false;
};

TEST_F(MprisCommands, TrustedWhereTheSessionBusIs) { EXPECT_TRUE(output.isTrusted()); }

TEST_F(MprisCommands, PauseToggleAndPlayReachThePlayer) {
  play();
  EXPECT_EQ(post("pause"), Dispatch::posted);
  EXPECT_TRUE(statusBecomes("Paused"));
  EXPECT_EQ(post("toggle"), Dispatch::posted);
  EXPECT_TRUE(statusBecomes("Playing"));
  EXPECT_EQ(post("toggle"), Dispatch::posted);
  EXPECT_TRUE(statusBecomes("Paused"));
  EXPECT_EQ(post("play"), Dispatch::posted);
  EXPECT_TRUE(statusBecomes("Playing"));
}

TEST_F(MprisCommands, PlayOnAPlayingPlayerIsNoCommand) {
  play();
  EXPECT_EQ(post("play", true), Dispatch::noChangeNeeded);
  EXPECT_EQ(post("pause", false), Dispatch::noChangeNeeded);
  EXPECT_EQ(playerStatus(), "Playing");
}

TEST_F(MprisCommands, AnOddlyTypedPlayerBesideMpvLeavesTheCommandsWorking) {
  // Its name sorts before mpv's and it says it plays; its properties are of types the
  // commands do not read. The command must reach a player, and nothing may break.
  ASSERT_TRUE(startOddPlayer());
  play();
  const Dispatch paused = post("pause");
  EXPECT_TRUE(paused == Dispatch::posted || paused == Dispatch::permissionUnavailable) << MediaKeyPoster::caseName(paused);
  EXPECT_TRUE(output.isTrusted());
  EXPECT_TRUE(stopOddPlayer());
}

TEST_F(MprisCommands, WithNoPlayerNothingCanBeControlled) {
  EXPECT_EQ(post("pause"), Dispatch::permissionUnavailable);
  EXPECT_EQ(post("next"), Dispatch::permissionUnavailable);
}

}  // namespace
}  // namespace orvane::testing
