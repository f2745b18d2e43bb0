#include "platform/qt/line_buffer.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane {
namespace {

using Lines = std::vector<std::string>;

TEST(LineBuffer, GivesLinesAsTheyAreCompleted) {
  LineBuffer buffer(64);
  EXPECT_EQ(buffer.append("first\nsec"), Lines{"first"});
  EXPECT_EQ(buffer.append("ond"), Lines{});
  EXPECT_EQ(buffer.append("\n\nthird\n"), (Lines{"second", "", "third"}));
  EXPECT_EQ(buffer.append(""), Lines{});
}

TEST(LineBuffer, CutsALineAtItsBound) {
  LineBuffer buffer(4);
  EXPECT_EQ(buffer.append("abcdefgh"), Lines{});
  EXPECT_EQ(buffer.append("ijk\nlm\n"), (Lines{"abcd", "lm"}));
}

}  // namespace
}  // namespace orvane
