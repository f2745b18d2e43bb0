// The popover's player section: shown only with the phone's media, with its lines and
// the play/pause button's word.
#include "ui/models/popover_now_playing.hpp"

#include <gtest/gtest.h>

#include "model_fixture.hpp"

namespace orvane::testing {
namespace {

class PopoverNowPlayingTest : public ModelTest {};

TEST_F(PopoverNowPlayingTest, AbsentWhileThePhoneReportsNoPlayer) {
  EXPECT_FALSE(PopoverNowPlaying::of(*store));
  store->macTrack = BridgeMedia{"Rhythmbox", std::string("Mac song")};
  EXPECT_FALSE(PopoverNowPlaying::of(*store)) << "this computer's own player is not the phone's";
}

TEST_F(PopoverNowPlayingTest, TitleSubtitleAndPlayPauseWordFollowThePhonesMedia) {
  using Text = std::optional<std::string>;
  struct Row {
    Text title;
    Text artist;
    bool playing;
    PopoverNowPlaying shown;
  };
  const std::vector<Row> rows{
      {"Blue Train", "John Coltrane", true, {"Blue Train", "John Coltrane", "Pause"}},
      {"Blue Train", "John Coltrane", false, {"Blue Train", "John Coltrane", "Play"}},
      {"Episode 12", std::nullopt, true, {"Episode 12", "Spotify", "Pause"}},
      {"Episode 12", "", false, {"Episode 12", "Spotify", "Play"}},
      {std::nullopt, "John Coltrane", true, {"Spotify", "John Coltrane", "Pause"}},
      {"", std::nullopt, false, {"Spotify", "", "Play"}},
      {std::nullopt, std::nullopt, false, {"Spotify", "", "Play"}},
  };
  for (const Row& row : rows) {
    store->media = BridgeMedia{"Spotify", row.title, row.artist, std::string("Album"), row.playing};
    const auto shown = PopoverNowPlaying::of(*store);
    ASSERT_TRUE(shown);
    EXPECT_EQ(*shown, row.shown) << row.title.value_or("(none)") << " / " << row.artist.value_or("(none)");
  }
}

TEST_F(PopoverNowPlayingTest, ThePlayPauseWordTurnsAsSoonAsTheButtonIsUsed) {
  store->connection = BridgeConnection::connected();
  store->media = BridgeMedia{"Spotify", std::string("Blue Train"), std::nullopt, std::nullopt, true};
  EXPECT_EQ(PopoverNowPlaying::of(*store)->playPauseLabel, "Pause");
  store->mediaCommand(DeviceBridgeStore::MediaCommand::playPause);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], BridgeAction::media("pause"));
  EXPECT_EQ(PopoverNowPlaying::of(*store)->playPauseLabel, "Play");
}

}  // namespace
}  // namespace orvane::testing
