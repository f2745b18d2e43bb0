#include "platform/qt/freedesktop_actions.hpp"

namespace orvane {

std::vector<std::string> notifyActions(const NotificationCategory* category, bool inlineReply) {
  // A label on "default" is not shown as a button by the servers we know of, but some
  // read it out or show it in a menu, where "Open" says what a click does.
  std::vector<std::string> actions{NotificationResponse::defaultAction, "Open"};
  if (category == nullptr) return actions;
  for (const NotificationAction& action : category->actions) {
    const bool answeredInPlace = action.kind == NotificationAction::Kind::textInput && inlineReply;
    actions.push_back(answeredInPlace ? std::string(kInlineReplyKey) : action.identifier);
    actions.push_back(action.title);
  }
  return actions;
}

std::string textInputAction(const NotificationCategory* category) {
  if (category == nullptr) return {};
  for (const NotificationAction& action : category->actions) {
    if (action.kind == NotificationAction::Kind::textInput) return action.identifier;
  }
  return {};
}

std::string responseAction(const NotificationCategory* category, std::string_view key) {
  if (key == kInlineReplyKey) {
    // Some servers report a press on the reply button before any text is sent; it is
    // still the text input that was chosen.
    std::string input = textInputAction(category);
    if (!input.empty()) return input;
  }
  return std::string(key);
}

}  // namespace orvane
