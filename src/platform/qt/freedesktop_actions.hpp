#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/user_notifications.hpp"

namespace orvane {

// How a category's buttons travel to a freedesktop notification server and back: the
// flat [key, label, key, label, ...] list that Notify takes, and the response's action
// identifier for the key that ActionInvoked returns.

// The key under which servers with the "inline-reply" capability show a text field
// in the banner; they answer with NotificationReplied instead of ActionInvoked.
inline constexpr std::string_view kInlineReplyKey = "inline-reply";

// The actions of a banner of `category` (none: an unknown category), with "default" first
// so that a click on the banner itself is reported. A text input is offered as the inline
// reply when the server has one, and otherwise as a button under its own identifier.
std::vector<std::string> notifyActions(const NotificationCategory* category, bool inlineReply);

// The response's action identifier for `key`: the key itself, except the inline reply,
// which stands for the category's text input.
std::string responseAction(const NotificationCategory* category, std::string_view key);

// The identifier of the category's text input; empty when it has none.
std::string textInputAction(const NotificationCategory* category);

}  // namespace orvane
