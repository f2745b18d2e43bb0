// The popover's header line, notification count and footer.
#include "ui/models/popover_texts.hpp"

#include <gtest/gtest.h>

#include "model_fixture.hpp"

namespace orvane::testing {
namespace {

class PopoverTextsTest : public ModelTest {
 protected:
  void holdNotifications(std::size_t count) {
    std::vector<BridgeNotification> list;
    for (std::size_t i = 0; i < count; ++i) list.push_back({"n" + std::to_string(i), "Chat"});
    store->notifications = std::move(list);
  }
};

TEST_F(PopoverTextsTest, HeaderSaysWhetherThePhoneIsLinked) {
  const std::vector<std::pair<BridgeConnection, std::string>> rows{
      {BridgeConnection::connected(), "Phone linked"},
      {BridgeConnection::disconnected(), "Menu bar agent"},
      {BridgeConnection::awaitingApproval("Pixel 8"), "Menu bar agent"},
      {BridgeConnection::reconnecting(1), "Menu bar agent"},
      {BridgeConnection::failed("Port busy"), "Menu bar agent"},
      {BridgeConnection::connecting(), "Menu bar agent"},
  };
  for (const auto& [connection, subtitle] : rows) {
    store->connection = connection;
    EXPECT_EQ(PopoverTexts::of(*store, std::nullopt).headerSubtitle, subtitle) << connection.caseName();
  }
}

TEST_F(PopoverTextsTest, NotificationsRowCountsThePhonesNotificationsOrSaysNone) {
  const std::vector<std::pair<std::size_t, std::string>> rows{{0, "None"}, {1, "1"}, {12, "12"}, {50, "50"}};
  for (const auto& [count, trailing] : rows) {
    holdNotifications(count);
    EXPECT_EQ(PopoverTexts::of(*store, std::nullopt).notificationsTrailing, trailing) << count;
  }
  holdNotifications(3);
  store->dismissNotification("n1");
  EXPECT_EQ(PopoverTexts::of(*store, std::nullopt).notificationsTrailing, "2") << "a dismissed one leaves at once";
}

TEST_F(PopoverTextsTest, FooterIsVFollowedByTheVersionText) {
  const std::vector<std::pair<std::optional<std::string>, std::string>> rows{
      {"0.1.0 (7)", "v0.1.0 (7)"}, {"0.1.0", "v0.1.0"}, {std::nullopt, "v"}};
  for (const auto& [version, line] : rows) {
    EXPECT_EQ(PopoverTexts::of(*store, version).versionLine, line) << version.value_or("(none)");
  }
}

}  // namespace
}  // namespace orvane::testing
