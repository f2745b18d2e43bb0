#include "ui/shell/reduced_motion.hpp"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(ReducedMotion, KdesInstantAnimationsAskForLessMotion) {
  struct Row {
    const char* what;
    const char* text;
    std::optional<bool> reduced;
  };
  const Row rows[] = {
      {"instant", "[General]\nColorScheme=Breeze\n\n[KDE]\nAnimationDurationFactor=0\n", true},
      {"slower than usual", "[KDE]\nAnimationDurationFactor=1.5\n", false},
      {"Windows line ends", "[KDE]\r\nAnimationDurationFactor=0\r\n", true},
      {"in another group", "[General]\nAnimationDurationFactor=0\n", std::nullopt},
      {"not said", "[KDE]\nSingleClick=false\n", std::nullopt},
      {"nonsense", "[KDE]\nAnimationDurationFactor=fast\n", std::nullopt},
      {"empty file", "", std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(ReducedMotion::fromKdeGlobals(row.text), row.reduced) << row.what;
}

}  // namespace
}  // namespace orvane
