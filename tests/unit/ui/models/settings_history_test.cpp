// The settings window's sections and its back and forward history.
#include "ui/models/settings_history.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/fake_clock.hpp"
#include "base/manual_queue.hpp"

namespace orvane {
namespace {

using S = SettingsSection;

TEST(SettingsSection, EachSectionHasItsIdentifierTitleAndSymbolInSidebarOrder) {
  struct Row {
    S section;
    std::string identifier;
    std::string title;
    std::string symbol;
  };
  const std::vector<Row> rows{
      {S::devices, "devices", "Devices", "iphone.gen3"},
      {S::features, "features", "Features", "slider.horizontal.3"},
      {S::about, "about", "About", "info.circle"},
      {S::advanced, "advanced", "Advanced", "wrench.and.screwdriver"},
  };
  ASSERT_EQ(settingsSections.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(settingsSections[i], rows[i].section) << i;
    EXPECT_EQ(identifierOf(rows[i].section), rows[i].identifier);
    EXPECT_EQ(titleOf(rows[i].section), rows[i].title);
    EXPECT_EQ(symbolOf(rows[i].section), rows[i].symbol);
  }
}

// One thing the user or the main queue does.
struct Step {
  enum Kind { select, deselect, back, forward, turn } kind;
  S section = S::devices;
};
Step pick(S s) { return {Step::select, s}; }
const Step none{Step::deselect};
const Step back{Step::back};
const Step forward{Step::forward};
const Step turn{Step::turn};  // the main queue runs what it holds

TEST(SettingsHistory, VisitsAreRecordedAndBackAndForwardMoveWithoutRecording) {
  struct Row {
    std::string name;
    std::vector<Step> steps;
    std::vector<S> history;
    std::size_t index;
    std::optional<S> selected;
  };
  const std::vector<Row> rows{
      {"nothing yet", {}, {}, 0, std::nullopt},
      {"one visit", {pick(S::devices)}, {S::devices}, 0, S::devices},
      {"two visits", {pick(S::devices), pick(S::features)}, {S::devices, S::features}, 1, S::features},
      {"the same section again adds nothing",
       {pick(S::devices), pick(S::devices), turn, pick(S::devices)},
       {S::devices},
       0,
       S::devices},
      {"back", {pick(S::devices), pick(S::features), back, turn}, {S::devices, S::features}, 0, S::devices},
      {"back then forward",
       {pick(S::devices), pick(S::features), back, turn, forward, turn},
       {S::devices, S::features},
       1,
       S::features},
      {"a new visit from a step back drops the steps ahead",
       {pick(S::devices), pick(S::features), back, turn, pick(S::about)},
       {S::devices, S::about},
       1,
       S::about},
      {"two steps back then a new visit",
       {pick(S::devices), pick(S::features), pick(S::about), back, turn, back, turn, pick(S::advanced)},
       {S::devices, S::advanced},
       1,
       S::advanced},
      {"back at the start does nothing", {pick(S::devices), back, turn}, {S::devices}, 0, S::devices},
      {"forward at the end does nothing",
       {pick(S::devices), pick(S::about), forward, turn},
       {S::devices, S::about},
       1,
       S::about},
      {"back and forward on nothing", {back, forward, turn}, {}, 0, std::nullopt},
      {"no selection is not a visit",
       {pick(S::devices), none, pick(S::features)},
       {S::devices, S::features},
       1,
       S::features},
      {"coming back from no selection to the last section adds nothing",
       {pick(S::devices), none, pick(S::devices)},
       {S::devices},
       0,
       S::devices},
      // Only the last entry is compared: from a step back, choosing the section ahead
      // leaves the history and its position as they were.
      {"from a step back, the last section again records nothing",
       {pick(S::devices), pick(S::features), back, turn, pick(S::features)},
       {S::devices, S::features},
       0,
       S::features},
      // Until the main queue turns, a change of selection still counts as the step back.
      {"a change in the same turn as back is not recorded",
       {pick(S::devices), pick(S::features), back, pick(S::about), turn},
       {S::devices, S::features},
       0,
       S::about},
      {"two steps back in one turn",
       {pick(S::devices), pick(S::features), pick(S::about), back, back, turn},
       {S::devices, S::features, S::about},
       0,
       S::devices},
      {"recorded again once the queue has turned",
       {pick(S::devices), pick(S::features), back, turn, pick(S::advanced), back, turn, forward, turn},
       {S::devices, S::advanced},
       1,
       S::advanced},
  };
  for (const Row& row : rows) {
    FakeClock clock;
    auto main = std::make_shared<ManualQueue>("main", clock);
    auto navigation = std::make_shared<SettingsNavigation>();
    SettingsHistory history(navigation, main);
    for (const Step& step : row.steps) {
      switch (step.kind) {
        case Step::select:
          navigation->selectedTab = step.section;
          break;
        case Step::deselect:
          navigation->selectedTab = std::nullopt;
          break;
        case Step::back:
          history.back();
          break;
        case Step::forward:
          history.forward();
          break;
        case Step::turn:
          main->runUntilIdle();
          break;
      }
    }
    EXPECT_EQ(history.history(), row.history) << row.name;
    EXPECT_EQ(history.historyIndex(), row.index) << row.name;
    EXPECT_EQ(*navigation->selectedTab, row.selected) << row.name;
  }
}

TEST(SettingsHistory, TheToolbarButtonsAreEnabledOnlyWhereThereIsSomewhereToGo) {
  struct Row {
    std::vector<Step> steps;
    bool canGoBack;
    bool canGoForward;
  };
  const std::vector<Row> rows{
      {{}, false, false},
      {{pick(S::devices)}, false, false},
      {{pick(S::devices), pick(S::features)}, true, false},
      {{pick(S::devices), pick(S::features), back, turn}, false, true},
      {{pick(S::devices), pick(S::features), pick(S::about), back, turn}, true, true},
      {{pick(S::devices), pick(S::features), back, turn, pick(S::about)}, true, false},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    FakeClock clock;
    auto main = std::make_shared<ManualQueue>("main", clock);
    auto navigation = std::make_shared<SettingsNavigation>();
    SettingsHistory history(navigation, main);
    for (const Step& step : rows[i].steps) {
      if (step.kind == Step::select) navigation->selectedTab = step.section;
      if (step.kind == Step::back) history.back();
      if (step.kind == Step::turn) main->runUntilIdle();
    }
    EXPECT_EQ(history.canGoBack(), rows[i].canGoBack) << i;
    EXPECT_EQ(history.canGoForward(), rows[i].canGoForward) << i;
  }
}

TEST(SettingsHistory, TheSectionTheWindowOpensAtIsNotAVisit) {
  FakeClock clock;
  auto main = std::make_shared<ManualQueue>("main", clock);
  auto navigation = std::make_shared<SettingsNavigation>();
  navigation->selectedTab = S::about;
  struct Row {
    S next;
    std::vector<S> history;
  };
  const std::vector<Row> rows{{S::devices, {S::devices}}, {S::features, {S::devices, S::features}}};
  SettingsHistory history(navigation, main);
  EXPECT_TRUE(history.history().empty());
  for (const Row& row : rows) {
    navigation->selectedTab = row.next;
    EXPECT_EQ(history.history(), row.history);
  }
}

}  // namespace
}  // namespace orvane
