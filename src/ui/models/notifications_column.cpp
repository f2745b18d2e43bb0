#include "ui/models/notifications_column.hpp"

#include "base/text.hpp"

namespace orvane {

namespace {

// The same test the hub uses to withdraw the banner.
bool fromMessagesApp(const BridgeNotification& notification) {
  return text::asciiLower(text::trim(notification.app)) == "messages";
}

}  // namespace

std::vector<BridgeNotification> NotificationsColumn::shown(const std::vector<BridgeNotification>& notifications,
                                                           bool messagesVisibleAndActive) {
  std::vector<BridgeNotification> rows;
  rows.reserve(notifications.size());
  for (auto it = notifications.rbegin(); it != notifications.rend(); ++it) {
    if (messagesVisibleAndActive && fromMessagesApp(*it)) continue;
    rows.push_back(*it);
  }
  return rows;
}

std::string NotificationsColumn::emptyDetail(bool connected) {
  return connected ? "Phone notifications will appear here." : "Connect your phone to mirror notifications.";
}

NotificationsCollapse::Toggle NotificationsCollapse::toggle() const {
  if (collapsed()) return {"Show notifications", "chevron.left"};
  return {"Hide notifications", "chevron.right"};
}

void NotificationsCollapse::press() { defaults_->set(key, !collapsed()); }

}  // namespace orvane
