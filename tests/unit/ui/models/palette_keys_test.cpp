// Moving through the palette with the keyboard, and what running a row hands back.
#include <gtest/gtest.h>

#include "base/overloaded.hpp"
#include "model_fixture.hpp"
#include "palette_support.hpp"

namespace orvane::testing {
namespace {

using Key = CommandPalette::Key;

std::string describe(const std::optional<PaletteCommand>& command) {
  if (!command) return "nothing";
  return std::visit(
      Overloaded{
          [](const PaletteCommand::SelectTab& s) { return "tab " + std::string(identifierOf(s.tab)); },
          [](const PaletteCommand::OpenSettings&) { return std::string("settings"); },
          [](const PaletteCommand::Pair&) { return std::string("pair"); },
          [](const PaletteCommand::Perform& p) { return "action " + std::to_string(p.action.value.index()); },
      },
      command->value);
}

class PaletteKeysTest : public ModelTest {
 protected:
  PaletteKeysTest() { palette.open(); }
  CommandPalette palette{*store};
};

TEST_F(PaletteKeysTest, ArrowsStayWithinTheRowsAndReturnRunsTheSelectedOne) {
  // Not paired, not connected: the four tabs, the settings, pairing (six rows).
  struct Row {
    std::string query;
    std::vector<Key> keys;
    std::size_t index;  // selected after the keys
    std::optional<PaletteCommand> ran;
    bool presented;  // after the keys
  };
  const std::vector<Key> tenDown(10, Key::down);
  const std::vector<Row> rows{
      {"", {}, 0, std::nullopt, true},
      {"", {Key::up}, 0, std::nullopt, true},
      {"", {Key::down, Key::down, Key::up}, 1, std::nullopt, true},
      {"", tenDown, 5, std::nullopt, true},  // the last row stays selected
      {"", {Key::down, Key::down, Key::down, Key::down, Key::down, Key::down, Key::up}, 4, std::nullopt, true},
      {"", {Key::enter}, 0, PaletteCommand::selectTab(HubTab::messages), false},
      {"", {Key::down, Key::down, Key::down, Key::down, Key::enter}, 4, PaletteCommand::openSettings(), false},
      {"",
       {Key::down, Key::down, Key::down, Key::down, Key::down, Key::down, Key::enter},
       5,
       PaletteCommand::pair(),
       false},
      {"", {Key::down, Key::escape}, 1, std::nullopt, false},
      {"go to",
       {Key::down, Key::down, Key::down, Key::down, Key::enter},
       3,
       PaletteCommand::selectTab(HubTab::links),
       false},
      {"xyz", {Key::down}, 0, std::nullopt, true},
      {"xyz", {Key::down, Key::up, Key::enter}, 0, std::nullopt, true},  // nothing to run: it stays open
  };
  for (const Row& row : rows) {
    palette.open();
    palette.setQuery(row.query);
    std::optional<PaletteCommand> ran;
    for (Key key : row.keys) {
      if (auto command = palette.press(key)) ran = command;
    }
    const std::string story = "query '" + row.query + "', " + std::to_string(row.keys.size()) + " keys";
    EXPECT_EQ(palette.index(), row.index) << story;
    EXPECT_EQ(ran, row.ran) << story << ": ran " << describe(ran) << ", not " << describe(row.ran);
    EXPECT_EQ(palette.isPresented(), row.presented) << story;
  }
}

TEST_F(PaletteKeysTest, ReturnHandsBackTheStoreActionOfACommandRow) {
  store->connection = BridgeConnection::connected();
  store->pairing = DeviceBridgeStore::PairingStatus::paired;
  const std::vector<std::pair<std::string, BridgeAction>> rows{
      {"clipboard sync", BridgeAction::setClipboard(true)},
      {"disconnect", BridgeAction::disconnect()},
  };
  for (const auto& [query, action] : rows) {
    palette.open();
    palette.setQuery(query);
    EXPECT_EQ(palette.press(Key::enter), PaletteCommand::perform(action)) << query;
    EXPECT_FALSE(palette.isPresented());
  }
}

TEST_F(PaletteKeysTest, TypingSelectsTheFirstRowAgain) {
  palette.press(Key::down);
  palette.press(Key::down);
  palette.setQuery("pair");
  EXPECT_EQ(palette.index(), 0u);
  EXPECT_EQ(palette.press(Key::enter), PaletteCommand::pair());
}

TEST_F(PaletteKeysTest, ReturnDoesNothingWhenTheSelectedRowWentAwayWithTheLink) {
  store->connection = BridgeConnection::connected();
  store->pairing = DeviceBridgeStore::PairingStatus::paired;
  for (int i = 0; i < 7; ++i) palette.press(Key::down);
  ASSERT_EQ(palette.index(), 7u);                        // "Disconnect", the eighth row
  store->connection = BridgeConnection::disconnected();  // seven rows now
  EXPECT_EQ(palette.press(Key::enter), std::nullopt);
  EXPECT_TRUE(palette.isPresented());
  EXPECT_EQ(palette.press(Key::up), std::nullopt);
  EXPECT_EQ(palette.press(Key::enter), PaletteCommand::perform(BridgeAction::connect()));
}

TEST_F(PaletteKeysTest, ClickingARowRunsItAndAClickBeyondTheRowsDoesNothing) {
  palette.setQuery("go to");
  EXPECT_EQ(palette.click(4), std::nullopt);
  EXPECT_TRUE(palette.isPresented());
  EXPECT_EQ(palette.click(2), PaletteCommand::selectTab(HubTab::clipboard));
  EXPECT_FALSE(palette.isPresented());
}

TEST_F(PaletteKeysTest, AClosedPaletteTakesNoKeysAndOpensAfresh) {
  palette.setQuery("go to");
  palette.press(Key::down);
  palette.press(Key::escape);
  EXPECT_EQ(palette.press(Key::enter), std::nullopt);
  EXPECT_EQ(palette.click(0), std::nullopt);
  palette.open();
  EXPECT_EQ(palette.query(), "");
  EXPECT_EQ(palette.index(), 0u);
  EXPECT_TRUE(palette.isPresented());
}

}  // namespace
}  // namespace orvane::testing
