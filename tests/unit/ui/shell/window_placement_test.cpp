#include "ui/shell/window_placement.hpp"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(WindowPlacement, AWindowLeftOffEveryScreenIsCentredWhereItComesForward) {
  const QRect left(0, 0, 1920, 1050), right(1920, 0, 1280, 1000);
  struct Row {
    const char* what;
    QRect frame;
    QRect expected;
  };
  const Row rows[] = {
      {"on the first screen", {100, 100, 1180, 720}, {100, 100, 1180, 720}},
      {"on the second screen", {2000, 50, 800, 600}, {2000, 50, 800, 600}},
      {"its lower-left corner just on screen", {-10, 300, 1180, 720}, {-10, 300, 1180, 720}},
      {"off to the left", {-1500, 300, 1180, 720}, {370, 165, 1180, 720}},
      {"where a removed screen was", {3500, 200, 800, 600}, {560, 225, 800, 600}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(placeComingForward(row.frame, {left, right}, left), row.expected) << row.what;
  }
}

TEST(WindowPlacement, ThePopoverOpensByTheTrayIconInsideTheUsableArea) {
  const QRect screen(0, 0, 1920, 1080);
  const QSize popover(340, 420);
  struct Row {
    const char* what;
    QRect icon;
    QRect usable;
    QPoint expected;
  };
  const Row rows[] = {
      {"icon in a top panel", {1500, 0, 24, 24}, {0, 28, 1920, 1052}, {1341, 34}},
      {"icon in a bottom panel", {800, 1052, 24, 28}, {0, 0, 1920, 1052}, {641, 626}},
      {"icon at the right edge", {1900, 0, 20, 24}, {0, 28, 1920, 1052}, {1574, 34}},
      {"no icon geometry: top right", {}, {0, 28, 1920, 1052}, {1574, 34}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(popoverPosition(row.icon, popover, row.usable, screen), row.expected) << row.what;
  }
}

TEST(WindowPlacement, FramesSurviveTheSettingsAndNonsenseIsRefused) {
  const QRect frame(-40, 120, 760, 560);
  EXPECT_EQ(parseFrame(formatFrame(frame)), frame);
  for (const char* text : {"", "1 2 3", "1 2 0 4", "1 2 3 -4", "a b c d", "1 2 3 4 5"}) {
    EXPECT_EQ(parseFrame(text), std::nullopt) << text;
  }
}

}  // namespace
}  // namespace orvane
