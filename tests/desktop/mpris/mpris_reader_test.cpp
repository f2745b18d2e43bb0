// MprisNowPlayingReader against a real mpv with the mpv-mpris plugin on a private
// session bus (mpris_env.sh): the track, its cover and its state, the changes heard,
// the player leaving, and a player that never answers.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "mpris_session.hpp"
#include "platform/qt/mpris_now_playing_reader.hpp"
#include "platform/qt/qt_main_queue.hpp"
#include "wake/wait_until.hpp"

namespace orvane::testing {
namespace {

using std::chrono::milliseconds;
using Response = MacMediaReader::Response;

class MprisReader : public ::testing::Test {
 protected:
  void TearDown() override {
    if (playing_) {
      EXPECT_TRUE(stopPlayer());
    }
    if (hung_) {
      EXPECT_TRUE(stopHungPlayer());
    }
    if (odd_) {
      EXPECT_TRUE(stopOddPlayer());
    }
  }
  void play() {
    ASSERT_TRUE(startPlayer());
    playing_ = true;
  }
  void hang() {
    ASSERT_TRUE(startHungPlayer());
    hung_ = true;
  }
  void quit() {
    ASSERT_TRUE(stopPlayer());
    playing_ = false;
  }

  // One read, asked from another thread as the watcher does; the answer and how long it took.
  struct Answer {
    std::optional<Response> response;
    milliseconds took{0};
  };
  Answer read(MprisNowPlayingReader& reader) {
    std::atomic<bool> done{false};
    Answer answer;
    const auto began = std::chrono::steady_clock::now();
    std::thread asker([&] {
      reader.readNowPlaying([&](const std::optional<Response>& response) {
        answer.response = response;
        answer.took = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - began);
        done = true;
      });
    });
    asker.join();
    EXPECT_TRUE(waitUntil([&] { return done.load(); }, kPatience)) << "the read never completed";
    return answer;
  }

  std::shared_ptr<QtMainQueue> main = std::make_shared<QtMainQueue>();
  Logger log{nullptr, "test"};
  bool playing_ = false;
  bool hung_ = false;
  bool odd_ = false;
};

TEST_F(MprisReader, ReadsThePlayingTrackWithItsCoverAndTheApplicationsName) {
  play();
  MprisNowPlayingReader reader(main, log);
  const Answer answer = read(reader);
  ASSERT_TRUE(answer.response);
  // The cover is named, and read where the caller chooses (never the main thread).
  ASSERT_TRUE(answer.response->artworkURL);
  Response expected{"Test Tone", "Orvane Band", "Signals", true, "mpv", std::nullopt};
  expected.artworkURL = answer.response->artworkURL;
  EXPECT_EQ(*answer.response, expected);
  const Bytes cover = coverBytes();
  ASSERT_FALSE(cover.empty());
  EXPECT_EQ(reader.loadArtwork(*answer.response->artworkURL), cover);
}

TEST_F(MprisReader, APlayerWithOddlyTypedPropertiesIsReadWithoutThem) {
  // Its Metadata is a map of strings, not of variants, beside a property of a type no
  // player has: what cannot be read is left out, and nothing else goes wrong.
  ASSERT_TRUE(startOddPlayer());
  odd_ = true;
  MprisNowPlayingReader reader(main, log);
  const Answer answer = read(reader);
  ASSERT_TRUE(answer.response);
  EXPECT_EQ(answer.response->app, "Odd Player");
  EXPECT_EQ(answer.response->playing, true);
  EXPECT_FALSE(answer.response->title);
  EXPECT_FALSE(answer.response->artworkURL);
}

TEST_F(MprisReader, APausedPlayerIsReadAsPaused) {
  play();
  ASSERT_TRUE(playerctl("pause"));
  ASSERT_TRUE(waitUntil([] { return playerStatus() == "Paused"; }, kPatience));
  MprisNowPlayingReader reader(main, log);
  const Answer answer = read(reader);
  ASSERT_TRUE(answer.response);
  EXPECT_EQ(answer.response->playing, false);
  EXPECT_EQ(answer.response->title, "Test Tone");
}

TEST_F(MprisReader, NoPlayerIsNoneAtOnce) {
  MprisNowPlayingReader reader(main, log);
  const Answer answer = read(reader);
  EXPECT_FALSE(answer.response);
  EXPECT_LT(answer.took, milliseconds(1000)) << "nothing to wait for";
}

TEST_F(MprisReader, ChangesAreHeardPauseAndThePlayerComingAndGoing) {
  MprisNowPlayingReader reader(main, log);
  std::atomic<int> changes{0};
  ASSERT_TRUE(reader.watchChanges([&] { ++changes; }));
  play();
  ASSERT_TRUE(waitUntil([&] { return changes > 0; }, kPatience)) << "a player appearing is a change";
  // Let the player's start settle, then count from here.
  waitUntil([] { return false; }, milliseconds(200));
  changes = 0;
  ASSERT_TRUE(playerctl("pause"));
  ASSERT_TRUE(waitUntil([&] { return changes > 0; }, kPatience)) << "a pause is a change";
  EXPECT_EQ(read(reader).response->playing, false);
  waitUntil([] { return false; }, milliseconds(200));
  changes = 0;
  quit();
  ASSERT_TRUE(waitUntil([&] { return changes > 0; }, kPatience)) << "a player leaving is a change";
  EXPECT_FALSE(read(reader).response) << "and afterwards nothing plays";
}

TEST_F(MprisReader, APlayerThatNeverAnswersDoesNotHideTheOneThatPlays) {
  hang();  // its name sorts first
  play();
  MprisNowPlayingReader reader(main, log);
  const Answer answer = read(reader);
  ASSERT_TRUE(answer.response);
  EXPECT_EQ(answer.response->title, "Test Tone");
  EXPECT_LT(answer.took, milliseconds(2400)) << "the silent one was given up after its second";
}

TEST_F(MprisReader, AReadGivesUpAfterTwentyFiveChecksWithoutAllAnswers) {
  hang();
  play();
  // A player may take longer than the read: then the read's own limit ends it.
  MprisNowPlayingReader reader(main, log, std::chrono::seconds(20));
  const Answer answer = read(reader);
  EXPECT_FALSE(answer.response);
  EXPECT_GE(answer.took, milliseconds(2300));
  EXPECT_LT(answer.took, milliseconds(5000));
}

}  // namespace
}  // namespace orvane::testing
