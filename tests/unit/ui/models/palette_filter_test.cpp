// Narrowing the palette by what the user types.
#include <gtest/gtest.h>

#include "model_fixture.hpp"
#include "palette_support.hpp"

namespace orvane::testing {
namespace {

class PaletteFilterTest : public ModelTest {};

TEST_F(PaletteFilterTest, ATitleOrDetailHoldingTheTrimmedQueryIgnoringCaseMatchesInTheListsOrder) {
  store->pairing = DeviceBridgeStore::PairingStatus::paired;
  const std::vector<std::string> all = plus(tabIDs, {"settings", "pair", "reconnect"});
  const std::vector<std::pair<std::string, std::vector<std::string>>> rows{
      {"", all},
      {" \t\n", all},
      {"go to", tabIDs},  // every tab, by its detail
      {"  GO TO\n", tabIDs},
      {"Go to N", {"tab.nowPlaying"}},
      {"clip", {"tab.clipboard"}},
      {"\u2318", {"settings"}},  // the settings' shortcut is its detail
      {",", {"settings"}},
      {"settings\u2026", {"settings"}},
      {"PHONE", {"pair"}},
      {"connect", {"reconnect"}},
      {"in", {"tab.nowPlaying", "tab.links", "settings"}},  // "Playing", "Links", "Settings", in order
      {"s", {"tab.messages", "tab.links", "settings"}},
      {"go  to", {}},  // inner white space is the user's
      {"xyz", {}},
  };
  for (const auto& [query, ids] : rows) {
    EXPECT_EQ(joined(idsOf(CommandPalette::filtered(CommandPalette::allItems(*store), query))), joined(ids))
        << "query '" << query << "'";
  }
}

TEST_F(PaletteFilterTest, CaseIsIgnoredBeyondAsciiToo) {
  std::vector<CommandPalette::Item> items{
      {"a", "\u00c9couter", std::nullopt, "x", PaletteCommand::pair()},         // "Écouter"
      {"b", "Stra\u00dfe", std::nullopt, "x", PaletteCommand::openSettings()},  // "Straße"
  };
  EXPECT_EQ(idsOf(CommandPalette::filtered(items, "\u00e9COU")), std::vector<std::string>{"a"});
  EXPECT_EQ(idsOf(CommandPalette::filtered(items, "STRA\u1E9E")), std::vector<std::string>{"b"});  // capital ẞ
}

TEST_F(PaletteFilterTest, NoMatchesIsShownOnlyWhenNoRowIsLeft) {
  CommandPalette palette(*store);
  palette.open();
  EXPECT_EQ(palette.emptyText(), std::nullopt);
  palette.setQuery("disconnect");  // not offered while the link is down
  EXPECT_TRUE(palette.items().empty());
  EXPECT_EQ(palette.emptyText(), "No matches");
  store->connection = BridgeConnection::connected();
  EXPECT_EQ(idsOf(palette.items()), std::vector<std::string>{"disconnect"}) << "the list follows the store";
  EXPECT_EQ(palette.emptyText(), std::nullopt);
}

}  // namespace
}  // namespace orvane::testing
