#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

// One button of a banner.
struct NotificationAction {
  enum class Kind { plain, destructive, textInput };
  std::string identifier;  // "zel.notif.dismiss", "zel.notif.replyinput", "zel.url.open", "zel.url.copy"
  std::string title;       // "Dismiss", "Reply", "Open", "Copy"
  Kind kind = Kind::plain;
  bool foreground = false;        // brings the program forward when chosen
  std::string textButtonTitle;    // for textInput: "Send"
  std::string textPlaceholder;    // for textInput: "Reply…"
  bool operator==(const NotificationAction&) const = default;
};

// A named set of buttons that banners refer to.
struct NotificationCategory {
  std::string identifier;  // "zel.notif", "zel.notif.reply", "zel.url"
  std::vector<NotificationAction> actions;
  bool operator==(const NotificationCategory&) const = default;
};

// One banner to show at once. A banner with the identifier of one still shown replaces it.
struct NotificationRequest {
  std::string identifier;  // "zel-notif-" + the phone's notification id, or a new UUID
  std::string title;
  std::optional<std::string> subtitle;
  std::optional<std::string> body;
  std::string category;
  std::map<std::string, std::string> userInfo;  // "notif_id" or "url"
  bool operator==(const NotificationRequest&) const = default;
};

// What the user did with a banner.
struct NotificationResponse {
  // A click on the banner itself, and the desktop closing it, carry these identifiers;
  // a button carries its own.
  static constexpr const char* defaultAction = "default";
  static constexpr const char* dismissAction = "dismiss";
  std::string requestIdentifier;
  std::string actionIdentifier;
  std::map<std::string, std::string> userInfo;
  std::optional<std::string> typedText;  // the text of a textInput action answered in place
};

// The desktop's notification centre. Main thread only.
class UserNotifications {
 public:
  virtual ~UserNotifications() = default;
  // `handler` runs on the main thread for every response; a later call replaces it.
  virtual void setResponseHandler(std::function<void(const NotificationResponse&)> handler) = 0;
  // Replaces every category registered before.
  virtual void setCategories(std::vector<NotificationCategory> categories) = 0;
  // Asks the user's permission to show banners, where the desktop asks for one.
  virtual void requestAuthorization() = 0;
  virtual void add(const NotificationRequest& request) = 0;
  // Withdraws banners shown or waiting.
  virtual void remove(const std::vector<std::string>& identifiers) = 0;
};

}  // namespace orvane
