// The version text of the popover's footer and the settings.
#include "ui/models/application_version.hpp"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(ApplicationVersion, TheReleaseWithItsBuildInBracketsOrWhicheverOfThemThereIs) {
  using Text = std::optional<std::string>;
  struct Row {
    Text shortVersion;
    Text buildVersion;
    Text shown;
  };
  const std::vector<Row> rows{
      {"1.2.0", "145", "1.2.0 (145)"}, {"1.2.0", std::nullopt, "1.2.0"},
      {std::nullopt, "145", "145"},    {std::nullopt, std::nullopt, std::nullopt},
      {"1.2.0", "", "1.2.0"},          {"", "145", "145"},
      {"", "", std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ((ApplicationVersion{row.shortVersion, row.buildVersion}.text()), row.shown)
        << row.shortVersion.value_or("(none)") << " / " << row.buildVersion.value_or("(none)");
  }
}

}  // namespace
}  // namespace orvane
