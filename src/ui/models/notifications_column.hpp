#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/store/bridge_records.hpp"
#include "base/user_defaults.hpp"
#include "ui/models/hub_tab.hpp"

namespace orvane {

// What the window's right-hand column lists, and its words when it lists nothing.
struct NotificationsColumn {
  static constexpr const char* header = "NOTIFICATIONS";
  static constexpr const char* emptyTitle = "No notifications";

  // The Messages pane counts as seen while its tab is selected in the active window;
  // the window tells the hub each time this changes.
  static bool messagesVisibleAndActive(HubTab task, bool sceneActive) {
    return task == HubTab::messages && sceneActive;
  }

  // The store's notifications (oldest first), newest first. While the Messages pane is
  // visible and active, those from the Messages app ("Messages" trimmed, in any case)
  // are left out: the same messages are on screen as chats.
  static std::vector<BridgeNotification> shown(const std::vector<BridgeNotification>& notifications,
                                               bool messagesVisibleAndActive);

  // The detail under "No notifications".
  static std::string emptyDetail(bool connected);
};

// Whether the column is folded to a narrow strip, kept in the user's defaults; false
// until the user first folds it.
class NotificationsCollapse {
 public:
  static constexpr const char* key = "orvane.notificationsCollapsed";

  struct Toggle {
    std::string title;
    std::string symbol;
    bool operator==(const Toggle&) const = default;
  };

  explicit NotificationsCollapse(std::shared_ptr<UserDefaults> defaults) : defaults_(std::move(defaults)) {}

  bool collapsed() const { return defaults_->boolOrFalse(key); }
  // The button shown: "Hide notifications" on the open column, "Show notifications" on the strip.
  Toggle toggle() const;
  // Clicking it.
  void press();

 private:
  std::shared_ptr<UserDefaults> defaults_;
};

}  // namespace orvane
