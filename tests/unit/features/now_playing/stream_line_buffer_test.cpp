#include "features/now_playing/stream_line_buffer.hpp"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using Lines = std::vector<std::string>;

TEST(StreamLineBuffer, KeepsAPartialLineUntilItsLineFeed) {
  StreamLineBuffer buffer(1024);
  EXPECT_EQ(buffer.append(R"({"payload":{"ti)"), Lines{});
  EXPECT_EQ(buffer.pending(), 15u);
  EXPECT_EQ(buffer.append("tle\":1}}\n"), Lines{R"({"payload":{"title":1}})"});
  EXPECT_EQ(buffer.pending(), 0u);
}

TEST(StreamLineBuffer, TwoLinesInOneChunkComeOutInOrder) {
  StreamLineBuffer buffer(1024);
  EXPECT_EQ(buffer.append("first\nsecond\nthi"), (Lines{"first", "second"}));
  EXPECT_EQ(buffer.append("rd\n"), Lines{"third"});
}

TEST(StreamLineBuffer, EmptyLinesAreLinesToo) {
  StreamLineBuffer buffer(1024);
  EXPECT_EQ(buffer.append("\n\nx\n"), (Lines{"", "", "x"}));
}

TEST(StreamLineBuffer, AnOverlongLineIsDroppedUpToItsLineFeed) {
  StreamLineBuffer buffer(8);
  EXPECT_EQ(buffer.append("12345"), Lines{});
  EXPECT_EQ(buffer.append("6789"), Lines{}) << "nine bytes: past the limit";
  EXPECT_EQ(buffer.pending(), 0u) << "nothing of it is kept";
  EXPECT_EQ(buffer.append("more of it\nok\n"), Lines{"ok"});
  EXPECT_EQ(buffer.append("12345678\n"), Lines{"12345678"}) << "exactly the limit is kept";
}

TEST(StreamLineBuffer, ClearForgetsTheUnfinishedLine) {
  StreamLineBuffer buffer(1024);
  buffer.append("half a li");
  buffer.clear();
  EXPECT_EQ(buffer.append("ne\n"), Lines{"ne"});
}

}  // namespace
}  // namespace orvane
