#include "features/media/media_gate.hpp"

#include <gtest/gtest.h>

#include <string>

namespace orvane {
namespace {

using OptString = std::optional<std::string>;
using MediaGate::Command;
using MediaGate::State;

TEST(MediaGateCleanState, TrimsThenMatchesExactly) {
  struct Row {
    const char* name;
    OptString input;
    std::optional<State> expected;
  };
  const Row rows[] = {
      {"none", std::nullopt, std::nullopt},
      {"playing", "playing", State::playing},
      {"paused", "paused", State::paused},
      {"playing with a space each side", " playing ", State::playing},
      {"paused after a line end", "\npaused", State::paused},
      {"capital P", "Playing", std::nullopt},
      {"other word", "stopped", std::nullopt},
      {"inner space", "play ing", std::nullopt},
      {"empty", "", std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(MediaGate::cleanState(row.input), row.expected);
  }
}

TEST(MediaGateCleanCmd, TrimsThenMatchesOneOfTheFiveWords) {
  struct Row {
    const char* name;
    OptString input;
    std::optional<Command> expected;
  };
  const Row rows[] = {
      {"none", std::nullopt, std::nullopt},
      {"play", "play", Command::play},
      {"pause", "pause", Command::pause},
      {"toggle", "toggle", Command::toggle},
      {"next preceded by a space", " next", Command::next},
      {"prev followed by a tab", "prev\t", Command::prev},
      {"word outside the five", "stop", std::nullopt},
      {"capital", "Play", std::nullopt},
      {"prefix of a word", "pau", std::nullopt},
      {"empty", "", std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(MediaGate::cleanCmd(row.input), row.expected);
  }
}

TEST(MediaGateCleanCmd, WireNameIsTheWordThatCleansToTheCommand) {
  for (const auto c : {Command::play, Command::pause, Command::toggle, Command::next, Command::prev}) {
    const std::string word(MediaGate::wireName(c));
    SCOPED_TRACE(word);
    EXPECT_EQ(MediaGate::cleanCmd(word), c);
  }
}

TEST(MediaGateCleanField, CollapsesAndRefusesAboveTwoHundredFiftySix) {
  EXPECT_EQ(MediaGate::cleanField(std::nullopt), std::nullopt);
  EXPECT_EQ(MediaGate::cleanField("  Blue \n in  Green "), "Blue in Green");
  EXPECT_EQ(MediaGate::cleanField(std::string(256, 'a')), std::string(256, 'a'));
  EXPECT_EQ(MediaGate::cleanField(std::string(257, 'a')), std::nullopt);
  EXPECT_EQ(MediaGate::cleanField(" \t "), std::nullopt);
  EXPECT_EQ(MediaGate::cleanApp("  Spotify "), "Spotify");
}

}  // namespace
}  // namespace orvane
