// The pieces of the MPRIS reader that need no bus: choosing the player, reading its
// metadata, and reading the cover a player names.
#include <gtest/gtest.h>

#include <QStringList>
#include <QUrl>

#include <fstream>

#include "platform/qt/artwork_url_reader.hpp"
#include "platform/qt/mpris_metadata.hpp"
#include "platform/qt/mpris_player_choice.hpp"
#include "temp_dir.hpp"

namespace orvane {
namespace {

TEST(MprisPlayerChoice, TheFirstPlayingElseTheFirstPaused) {
  using P = std::vector<MprisPlayerState>;
  const auto player = [](const char* name, const char* status) { return MprisPlayerState{name, status, true}; };
  EXPECT_EQ(activeMprisPlayer(P{}), std::nullopt);
  EXPECT_EQ(activeMprisPlayer(P{player("a", "Stopped"), player("b", "")}), std::nullopt);
  EXPECT_EQ(activeMprisPlayer(P{player("a", "Paused"), player("b", "Playing"), player("c", "Playing")}), 1u);
  EXPECT_EQ(activeMprisPlayer(P{player("a", "Stopped"), player("b", "Paused"), player("c", "Paused")}), 1u);
  EXPECT_EQ(activeMprisPlayer(P{player("a", "playing")}), std::nullopt) << "the status is compared exactly";
}

TEST(MprisPlayerChoice, PlayerNamesHaveTheMprisPrefixAndSomethingAfterIt) {
  EXPECT_TRUE(isMprisPlayerName("org.mpris.MediaPlayer2.mpv"));
  EXPECT_TRUE(isMprisPlayerName("org.mpris.MediaPlayer2.vlc.instance42"));
  EXPECT_FALSE(isMprisPlayerName("org.mpris.MediaPlayer2."));
  EXPECT_FALSE(isMprisPlayerName("org.mpris.MediaPlayer2"));
  EXPECT_FALSE(isMprisPlayerName(":1.42"));
  EXPECT_FALSE(isMprisPlayerName("org.freedesktop.Notifications"));
}

TEST(MprisMetadata, ReadsTitleArtistsAlbumAndArt) {
  QVariantMap map;
  map[QStringLiteral("xesam:title")] = QStringLiteral("Test Tone");
  map[QStringLiteral("xesam:artist")] = QStringList{QStringLiteral("Orvane Band"), QStringLiteral(" "), QStringLiteral("Second")};
  map[QStringLiteral("xesam:album")] = QStringLiteral("Signals");
  map[QStringLiteral("mpris:artUrl")] = QStringLiteral("file:///tmp/cover.png");
  map[QStringLiteral("mpris:length")] = qint64(30000000);
  EXPECT_EQ(readMprisMetadata(map),
            (MprisMetadata{"Test Tone", "Orvane Band, Second", "Signals", "file:///tmp/cover.png"}));
}

TEST(MprisMetadata, LeavesOutWhatIsMissingEmptyOrOfTheWrongType) {
  QVariantMap map;
  map[QStringLiteral("xesam:title")] = QString();
  map[QStringLiteral("xesam:album")] = 7;
  map[QStringLiteral("xesam:artist")] = QStringLiteral("One String");
  EXPECT_EQ(readMprisMetadata(map), (MprisMetadata{std::nullopt, "One String", std::nullopt, std::nullopt}));
  EXPECT_EQ(readMprisMetadata(QVariant()), MprisMetadata{});
  EXPECT_EQ(readMprisMetadata(QStringLiteral("not a map")), MprisMetadata{});
}

class ArtworkUrl : public ::testing::Test {
 protected:
  std::filesystem::path write(const std::string& name, std::size_t bytes) {
    const auto path = dir.path() / name;
    std::ofstream(path, std::ios::binary) << std::string(bytes, 'j');
    return path;
  }
  std::string url(const std::filesystem::path& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path.string())).toString(QUrl::FullyEncoded).toStdString();
  }
  testing::TempDir dir;
};

TEST_F(ArtworkUrl, ReadsALocalFileWithinTheLimit) {
  const auto path = write("cover art.png", 100);
  auto bytes = readArtworkUrl(url(path), 100);
  ASSERT_TRUE(bytes) << url(path);
  EXPECT_EQ(bytes->size(), 100u);
  EXPECT_FALSE(readArtworkUrl(url(path), 99)) << "one byte over the limit";
  // As some players write it: the space left as it is.
  EXPECT_TRUE(readArtworkUrl("file://" + path.string(), 100)) << path;
}

TEST_F(ArtworkUrl, LeavesEverythingElseAlone) {
  const auto empty = write("empty.png", 0);
  const std::string rows[] = {
      "https://example.com/cover.png",
      "http://example.com/cover.png",
      "data:image/png;base64,iVBORw0KGgo=",
      "cover.png",
      "",
      "file:///nonexistent/cover.png",
      url(dir.path()),
      url(empty),
      "file://otherhost/tmp/cover.png",
  };
  for (const std::string& row : rows) {
    SCOPED_TRACE(row);
    EXPECT_FALSE(readArtworkUrl(row, 1000000));
  }
}

}  // namespace
}  // namespace orvane
