// The store's notification rows follow the hub's list row by row: only what changed
// is rebuilt, and nothing is touched when nothing changed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/store/notification_rows.hpp"

namespace orvane {
namespace {

PhoneNotif notif(const std::string& id, std::uint64_t revision, const std::string& text = "text") {
  return PhoneNotif{id, "Signal", std::string("Ana"), text, 1700000000000, true, std::nullopt, std::nullopt, revision};
}

std::vector<BridgeNotification> rowsOf(const std::vector<PhoneNotif>& notifs) {
  std::vector<BridgeNotification> rows;
  for (const PhoneNotif& n : notifs) rows.push_back(notificationRow(n));
  return rows;
}

TEST(NotificationRows, FollowTheHubAndReportWhichRowsAreNew) {
  struct Row {
    const char* name;
    std::vector<PhoneNotif> before;
    std::vector<PhoneNotif> after;
    std::vector<std::size_t> changed;
  };
  const auto a = notif("a", 1), b = notif("b", 2), c = notif("c", 3), d = notif("d", 4);
  const std::vector<Row> rows = {
      {"one in at the end, the oldest out", {a, b, c}, {b, c, d}, {2}},
      {"one in, none out", {a, b}, {a, b, c}, {2}},
      {"one gone from the middle", {a, b, c}, {a, c}, {}},
      {"all gone", {a, b}, {}, {}},
      {"from nothing", {}, {a, b}, {0, 1}},
      {"an entry changed in place", {a, b, c}, {a, notif("b", 5, "new words"), c}, {1}},
      {"reordered", {a, b, c}, {c, a, b}, {}},
      {"all new", {a, b}, {c, d}, {0, 1}},
      {"slides and changes", {a, b, c}, {notif("b", 6, "edited"), c, d}, {0, 2}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto shown = rowsOf(row.before);
    std::vector<std::size_t> changed;
    EXPECT_TRUE(mirrorNotifications(shown, row.after, changed));
    EXPECT_EQ(shown, rowsOf(row.after));
    EXPECT_EQ(changed, row.changed);
  }
}

TEST(NotificationRows, NothingChangesWhenTheRowsShowTheListAlready) {
  const std::vector<PhoneNotif> notifs = {notif("a", 1), notif("b", 2)};
  auto shown = rowsOf(notifs);
  shown[0].isRead = false;
  std::vector<std::size_t> changed;
  EXPECT_FALSE(mirrorNotifications(shown, notifs, changed));
  EXPECT_TRUE(changed.empty());
}

TEST(NotificationRows, WithoutRevisionsTheContentIsCompared) {
  // Entries made outside the hub carry no revision: their texts decide.
  const std::vector<PhoneNotif> before = {notif("a", 0, "old")};
  const std::vector<PhoneNotif> after = {notif("a", 0, "new")};
  auto shown = rowsOf(before);
  std::vector<std::size_t> changed;
  EXPECT_FALSE(mirrorNotifications(shown, before, changed));
  EXPECT_TRUE(mirrorNotifications(shown, after, changed));
  EXPECT_EQ(shown[0].body, "new");
  EXPECT_EQ(changed, std::vector<std::size_t>{0});
}

TEST(NotificationRows, AnIdTwiceInTheListGetsARowEachTime) {
  const auto a = notif("a", 1);
  auto shown = rowsOf({a});
  std::vector<std::size_t> changed;
  EXPECT_TRUE(mirrorNotifications(shown, {a, a}, changed));
  EXPECT_EQ(shown, rowsOf({a, a}));
}

}  // namespace
}  // namespace orvane
