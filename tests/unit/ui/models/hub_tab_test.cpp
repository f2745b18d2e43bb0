// The work areas' names and symbols, in the window's order.
#include "ui/models/hub_tab.hpp"

#include <gtest/gtest.h>

#include <string>

namespace orvane {
namespace {

TEST(HubTab, EachWorkAreaHasItsIdentifierTitleAndSymbolInOrder) {
  struct Row {
    HubTab tab;
    std::string identifier;
    std::string title;
    std::string symbol;
  };
  const std::vector<Row> rows{
      {HubTab::messages, "messages", "Messages", "bubble.left.and.bubble.right"},
      {HubTab::nowPlaying, "nowPlaying", "Now Playing", "play.circle"},
      {HubTab::clipboard, "clipboard", "Clipboard", "doc.on.clipboard"},
      {HubTab::links, "links", "Links", "link"},
  };
  ASSERT_EQ(hubTabs.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(hubTabs[i], rows[i].tab) << i;
    EXPECT_EQ(identifierOf(rows[i].tab), rows[i].identifier);
    EXPECT_EQ(titleOf(rows[i].tab), rows[i].title);
    EXPECT_EQ(symbolOf(rows[i].tab), rows[i].symbol);
  }
}

}  // namespace
}  // namespace orvane
