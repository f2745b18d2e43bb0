// The notifications column: newest first, the Messages app left out while its chats are
// on screen, the empty state's detail, and the fold kept in the user's defaults.
#include "ui/models/notifications_column.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane {
namespace {

BridgeNotification from(std::string id, std::string app) {
  BridgeNotification n;
  n.id = std::move(id);
  n.app = std::move(app);
  return n;
}

std::vector<std::string> ids(const std::vector<BridgeNotification>& rows) {
  std::vector<std::string> out;
  for (const BridgeNotification& row : rows) out.push_back(row.id);
  return out;
}

TEST(NotificationsColumn, TheMessagesPaneIsSeenOnlyWhenSelectedInTheActiveWindow) {
  struct Row {
    HubTab task;
    bool sceneActive;
    bool seen;
  };
  const std::vector<Row> rows{
      {HubTab::messages, true, true},   {HubTab::messages, false, false}, {HubTab::nowPlaying, true, false},
      {HubTab::clipboard, true, false}, {HubTab::links, true, false},     {HubTab::links, false, false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(NotificationsColumn::messagesVisibleAndActive(row.task, row.sceneActive), row.seen)
        << identifierOf(row.task) << " " << row.sceneActive;
  }
}

TEST(NotificationsColumn, NewestFirstWithTheMessagesAppLeftOutWhileItsPaneIsSeen) {
  // Oldest first, as the store keeps them.
  const std::vector<BridgeNotification> stored{
      from("a", "Messages"),     from("b", "Slack"),     from("c", " messages "),      from("d", "MESSAGES"),
      from("e", "\tMessages\n"), from("f", "Messages+"), from("g", "Google Messages"), from("h", ""),
  };
  struct Row {
    std::vector<BridgeNotification> notifications;
    bool messagesSeen;
    std::vector<std::string> shown;
  };
  const std::vector<Row> rows{
      {stored, false, {"h", "g", "f", "e", "d", "c", "b", "a"}},
      {stored, true, {"h", "g", "f", "b"}},
      {{}, true, {}},
      {{}, false, {}},
      {{from("x", "Messages")}, true, {}},
      {{from("x", "Messages")}, false, {"x"}},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(ids(NotificationsColumn::shown(rows[i].notifications, rows[i].messagesSeen)), rows[i].shown) << i;
  }
}

TEST(NotificationsColumn, SwitchingAwayFromMessagesShowsItsNotificationsAgain) {
  const std::vector<BridgeNotification> stored{from("a", "Messages"), from("b", "Mail")};
  struct Row {
    HubTab task;
    bool sceneActive;
    std::vector<std::string> shown;
  };
  const std::vector<Row> rows{
      {HubTab::messages, true, {"b"}},
      {HubTab::links, true, {"b", "a"}},
      {HubTab::messages, true, {"b"}},
      {HubTab::messages, false, {"b", "a"}},
  };
  for (const Row& row : rows) {
    const bool seen = NotificationsColumn::messagesVisibleAndActive(row.task, row.sceneActive);
    EXPECT_EQ(ids(NotificationsColumn::shown(stored, seen)), row.shown) << identifierOf(row.task);
  }
}

TEST(NotificationsColumn, TheEmptyStateSpeaksOfTheLink) {
  struct Row {
    bool connected;
    std::string detail;
  };
  const std::vector<Row> rows{{true, "Phone notifications will appear here."},
                              {false, "Connect your phone to mirror notifications."}};
  for (const Row& row : rows) EXPECT_EQ(NotificationsColumn::emptyDetail(row.connected), row.detail);
  EXPECT_STREQ(NotificationsColumn::emptyTitle, "No notifications");
  EXPECT_STREQ(NotificationsColumn::header, "NOTIFICATIONS");
}

TEST(NotificationsCollapse, TheFoldIsKeptUnderItsKeyAndReadsFalseWhenAbsent) {
  struct Row {
    std::optional<DefaultsValue> stored;  // before any click
    bool collapsed;
  };
  const std::vector<Row> rows{
      {std::nullopt, false},
      {DefaultsValue{true}, true},
      {DefaultsValue{false}, false},
      // Not a bool: read as absent.
      {DefaultsValue{std::int64_t{1}}, false},
      {DefaultsValue{std::string("1")}, false},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    auto defaults = std::make_shared<MemoryUserDefaults>();
    if (rows[i].stored) defaults->set("orvane.notificationsCollapsed", *rows[i].stored);
    NotificationsCollapse fold(defaults);
    EXPECT_EQ(fold.collapsed(), rows[i].collapsed) << i;
    fold.press();
    EXPECT_EQ(fold.collapsed(), !rows[i].collapsed) << i;
    EXPECT_EQ(defaults->boolean("orvane.notificationsCollapsed"), !rows[i].collapsed) << i;
    // Another window reading the same defaults sees the same fold.
    EXPECT_EQ(NotificationsCollapse(defaults).collapsed(), !rows[i].collapsed) << i;
    fold.press();
    EXPECT_EQ(defaults->boolean("orvane.notificationsCollapsed"), rows[i].collapsed) << i;
  }
}

TEST(NotificationsCollapse, TheButtonHidesTheOpenColumnAndShowsTheStrip) {
  struct Row {
    bool collapsed;
    NotificationsCollapse::Toggle toggle;
  };
  const std::vector<Row> rows{{false, {"Hide notifications", "chevron.right"}},
                              {true, {"Show notifications", "chevron.left"}}};
  for (const Row& row : rows) {
    auto defaults = std::make_shared<MemoryUserDefaults>();
    defaults->set(NotificationsCollapse::key, row.collapsed);
    EXPECT_EQ(NotificationsCollapse(defaults).toggle(), row.toggle) << row.collapsed;
  }
}

}  // namespace
}  // namespace orvane
