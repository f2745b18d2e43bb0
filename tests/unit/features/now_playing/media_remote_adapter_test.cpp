// The adapter's text formats: stream envelopes, the now-playing object, command words.
#include "features/now_playing/media_remote_adapter.hpp"

#include <gtest/gtest.h>

#include <string>

#include "base/codec.hpp"

namespace orvane {
namespace {

using NowPlaying = MediaRemoteAdapter::NowPlaying;

TEST(MediaRemoteAdapterEnvelope, GivesThePayloadOfAnObjectOrNullAndNothingElse) {
  struct Row {
    const char* name;
    std::string line;
    std::optional<std::string> expected;
  };
  const Row rows[] = {
      {"object payload, serialised again", R"({"type":"data","payload":{"title":"Song","playing":true}})",
       R"({"playing":true,"title":"Song"})"},
      {"null payload: an update without data", R"({"type":"data","payload":null})", "null"},
      {"no payload member", R"({"type":"data"})", std::nullopt},
      {"payload of another type", R"({"payload":"Song"})", std::nullopt},
      {"payload an array", R"({"payload":[1]})", std::nullopt},
      {"not JSON", "Song by Band", std::nullopt},
      {"JSON but no object", "[1,2]", std::nullopt},
      {"a cut-off line", R"({"payload":{"title":"So)", std::nullopt},
      {"empty", "", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(MediaRemoteAdapter::envelopePayload(row.line), row.expected);
  }
}

TEST(MediaRemoteAdapterNowPlaying, ReadsTheMembersByTheirRules) {
  const std::string art = codec::base64Encode(Bytes{0x89, 'P', 'N', 'G'});
  struct Row {
    const char* name;
    std::optional<std::string> text;
    std::optional<NowPlaying> expected;
  };
  const Row rows[] = {
      {"all members", R"({"bundleIdentifier":"com.spotify.client","title":"Song","artist":" Band ","album":"LP",)"
                      R"("playing":true,"artworkData":")" + art + R"("})",
       NowPlaying{"com.spotify.client", "Song", "Band", "LP", true, Bytes{0x89, 'P', 'N', 'G'}}},
      {"playing false wins over rate 1", R"({"bundleIdentifier":"a.b","title":"T","playing":false,"playbackRate":1})",
       NowPlaying{"a.b", "T", std::nullopt, std::nullopt, false, std::nullopt}},
      {"rate 0.5 without playing: playing", R"({"bundleIdentifier":"a.b","title":"T","playbackRate":0.5})",
       NowPlaying{"a.b", "T", std::nullopt, std::nullopt, true, std::nullopt}},
      {"rate 0: paused", R"({"bundleIdentifier":"a.b","title":"T","playbackRate":0})",
       NowPlaying{"a.b", "T", std::nullopt, std::nullopt, false, std::nullopt}},
      {"playing of another type: the rate decides", R"({"bundleIdentifier":"a.b","title":"T","playing":1,"playbackRate":2})",
       NowPlaying{"a.b", "T", std::nullopt, std::nullopt, true, std::nullopt}},
      {"neither: paused", R"({"bundleIdentifier":"a.b","title":"T","playbackRate":"1"})",
       NowPlaying{"a.b", "T", std::nullopt, std::nullopt, false, std::nullopt}},
      {"blank artist and album are absent", R"({"bundleIdentifier":"a.b","title":"T","artist":"  ","album":"\n"})",
       NowPlaying{"a.b", "T", std::nullopt, std::nullopt, false, std::nullopt}},
      {"artist of another type is absent", R"({"bundleIdentifier":"a.b","title":"T","artist":7})",
       NowPlaying{"a.b", "T", std::nullopt, std::nullopt, false, std::nullopt}},
      {"invalid base64 artwork is ignored", R"({"bundleIdentifier":"a.b","title":"T","artworkData":"A"})",
       NowPlaying{"a.b", "T", std::nullopt, std::nullopt, false, std::nullopt}},
      {"no title", R"({"bundleIdentifier":"a.b","artist":"Band"})", std::nullopt},
      {"empty title", R"({"bundleIdentifier":"a.b","title":""})", std::nullopt},
      {"empty bundle identifier", R"({"bundleIdentifier":"","title":"T"})", std::nullopt},
      {"bundle identifier of another type", R"({"bundleIdentifier":1,"title":"T"})", std::nullopt},
      {"null (a stream's empty update)", "null", std::nullopt},
      {"not JSON", "nothing is playing", std::nullopt},
      {"no text at all", std::nullopt, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(MediaRemoteAdapter::parseNowPlaying(row.text), row.expected);
  }
}

TEST(MediaRemoteAdapterNowPlaying, ArtworkTextPastTwoMillionCharactersIsNotDecoded) {
  // Valid base64 either side of the limit (a multiple of four characters).
  const std::string atLimit(MediaRemoteAdapter::maxArtworkCharacters, 'A');
  const std::string beyond(MediaRemoteAdapter::maxArtworkCharacters + 4, 'A');
  auto with = [](const std::string& art) {
    return MediaRemoteAdapter::parseNowPlaying(R"({"bundleIdentifier":"a.b","title":"T","artworkData":")" + art + R"("})");
  };
  auto kept = with(atLimit);
  ASSERT_TRUE(kept);
  ASSERT_TRUE(kept->artwork);
  EXPECT_EQ(kept->artwork->size(), MediaRemoteAdapter::maxArtworkCharacters / 4 * 3);
  auto dropped = with(beyond);
  ASSERT_TRUE(dropped);
  EXPECT_FALSE(dropped->artwork);
}

TEST(MediaRemoteAdapterCommand, NumbersTheFiveWords) {
  using Command = MediaRemoteAdapter::Command;
  const std::pair<const char*, std::optional<Command>> rows[] = {
      {"play", Command::play}, {"pause", Command::pause}, {"toggle", Command::toggle}, {"next", Command::next},
      {"prev", Command::prev}, {"stop", std::nullopt},    {"Play", std::nullopt},      {" next", std::nullopt},
  };
  for (const auto& [word, command] : rows) {
    SCOPED_TRACE(word);
    EXPECT_EQ(MediaRemoteAdapter::command(word), command);
  }
  EXPECT_EQ(static_cast<int>(Command::play), 0);
  EXPECT_EQ(static_cast<int>(Command::pause), 1);
  EXPECT_EQ(static_cast<int>(Command::toggle), 2);
  EXPECT_EQ(static_cast<int>(Command::next), 4);
  EXPECT_EQ(static_cast<int>(Command::prev), 5);
  EXPECT_EQ(MediaRemoteAdapter::commandNumbered(4), Command::next);
  EXPECT_EQ(MediaRemoteAdapter::commandNumbered(3), std::nullopt);
}

// `send` is a one-shot run of `send N` with the four-second limit, successful when the
// run gives a result.
class ScriptedRuns final : public MediaRemoteAdapter {
 public:
  bool isAvailable() const override { return true; }
  std::optional<std::string> run(const std::vector<std::string>& arguments, Duration timeout) override {
    runs.push_back(arguments);
    timeouts.push_back(timeout);
    return result;
  }
  void startStream(UpdateHandler) override {}
  void stopStream() override {}
  std::optional<std::string> result;
  std::vector<std::vector<std::string>> runs;
  std::vector<Duration> timeouts;
};

TEST(MediaRemoteAdapterSend, RunsSendWithTheNumberAndSucceedsWhenTheRunDoes) {
  ScriptedRuns adapter;
  adapter.result = "";
  EXPECT_TRUE(adapter.send(MediaRemoteAdapter::Command::prev)) << "an empty output is still a success";
  adapter.result = std::nullopt;
  EXPECT_FALSE(adapter.send(MediaRemoteAdapter::Command::toggle));
  ASSERT_EQ(adapter.runs.size(), 2u);
  EXPECT_EQ(adapter.runs[0], (std::vector<std::string>{"send", "5"}));
  EXPECT_EQ(adapter.runs[1], (std::vector<std::string>{"send", "2"}));
  EXPECT_EQ(adapter.timeouts[0], std::chrono::seconds(4));
}

}  // namespace
}  // namespace orvane
