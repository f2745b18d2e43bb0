// Deciding and carrying out the phone's playback commands: the no-op rule, the adapter
// first, then the media key.
#include "features/media/media_key_poster.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane {
namespace {

using Dispatch = MediaKeyPoster::Dispatch;

class RecordingOutput final : public MediaKeyOutput {
 public:
  bool trusted = false;
  bool adapterWorks = false;
  bool keyTaken = true;
  int trustReads = 0;
  std::vector<int> adapterNumbers;
  std::vector<std::pair<MediaGate::Command, int>> keys;

  bool isTrusted() override {
    ++trustReads;
    return trusted;
  }
  bool sendToAdapter(int number) override {
    adapterNumbers.push_back(number);
    return adapterWorks;
  }
  bool postMediaKey(MediaGate::Command command, int keyCode) override {
    keys.emplace_back(command, keyCode);
    return keyTaken;
  }
};

TEST(MediaKeyPosterDecideNoOp, OnlyPlayWhilePlayingAndPauseWhilePausedNeedNothing) {
  struct Row {
    const char* command;
    std::optional<bool> playing;
    std::optional<Dispatch> expected;
  };
  const Row rows[] = {
      {"play", true, Dispatch::noChangeNeeded},   {"play", false, std::nullopt},
      {"play", std::nullopt, std::nullopt},       {"pause", false, Dispatch::noChangeNeeded},
      {"pause", true, std::nullopt},              {"pause", std::nullopt, std::nullopt},
      {"toggle", true, std::nullopt},             {"toggle", false, std::nullopt},
      {"next", true, std::nullopt},               {"prev", false, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.command) + " playing=" + (row.playing ? (*row.playing ? "yes" : "no") : "unknown"));
    EXPECT_EQ(MediaKeyPoster::decideNoOp(row.command, row.playing), row.expected);
  }
}

TEST(MediaKeyPosterPost, AdapterFirstThenTheKeyWhenTrusted) {
  using C = MediaGate::Command;
  struct Row {
    const char* command;
    std::optional<bool> playing;
    bool adapterWorks;
    bool trusted;
    bool keyTaken;
    Dispatch expected;
    std::vector<int> adapterNumbers;
    std::vector<std::pair<C, int>> keys;
  };
  const Row rows[] = {
      {"play", true, true, true, true, Dispatch::noChangeNeeded, {}, {}},
      {"pause", false, true, true, true, Dispatch::noChangeNeeded, {}, {}},
      {"stop", std::nullopt, true, true, true, Dispatch::unsupportedCommand, {}, {}},
      {"Play", std::nullopt, true, true, true, Dispatch::unsupportedCommand, {}, {}},
      {"pause", std::nullopt, true, false, true, Dispatch::posted, {1}, {}},
      {"play", false, true, false, true, Dispatch::posted, {0}, {}},
      {"toggle", true, false, false, true, Dispatch::permissionUnavailable, {2}, {}},
      {"play", std::nullopt, false, true, true, Dispatch::posted, {0}, {{C::play, 16}}},
      {"pause", true, false, true, true, Dispatch::posted, {1}, {{C::pause, 16}}},
      {"toggle", false, false, true, true, Dispatch::posted, {2}, {{C::toggle, 16}}},
      {"next", std::nullopt, false, true, true, Dispatch::posted, {4}, {{C::next, 17}}},
      {"prev", std::nullopt, false, true, true, Dispatch::posted, {5}, {{C::prev, 18}}},
      {"next", std::nullopt, false, true, false, Dispatch::permissionUnavailable, {4}, {{C::next, 17}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.command) + " adapter=" + (row.adapterWorks ? "works" : "fails") +
                 " trusted=" + (row.trusted ? "yes" : "no"));
    RecordingOutput output;
    output.adapterWorks = row.adapterWorks;
    output.trusted = row.trusted;
    output.keyTaken = row.keyTaken;
    EXPECT_EQ(MediaKeyPoster::post(row.command, row.playing, output), row.expected);
    EXPECT_EQ(output.adapterNumbers, row.adapterNumbers);
    EXPECT_EQ(output.keys, row.keys);
    EXPECT_EQ(output.trustReads, 1) << "trust is read once, at the start";
  }
}

TEST(MediaKeyPosterCaseName, NamesEachResultAsTheSettingsShowIt) {
  EXPECT_EQ(MediaKeyPoster::caseName(Dispatch::permissionUnavailable), "permissionUnavailable");
  EXPECT_EQ(MediaKeyPoster::caseName(Dispatch::unsupportedCommand), "unsupportedCommand");
  EXPECT_EQ(MediaKeyPoster::caseName(Dispatch::noChangeNeeded), "noChangeNeeded");
  EXPECT_EQ(MediaKeyPoster::caseName(Dispatch::posted), "posted");
}

}  // namespace
}  // namespace orvane
