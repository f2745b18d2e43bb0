#pragma once

#include <string>
#include <vector>

#include "app/user_notifications.hpp"

namespace orvane::testing {

// The categories the hub registers, and banners of each as the hub makes them.
std::vector<NotificationCategory> hubCategories();
// A phone notification, "zel-notif-<id>", in "zel.notif" or (replyable) "zel.notif.reply".
NotificationRequest phoneBanner(const std::string& id, bool replyable);
// A received link under `identifier`, in "zel.url".
NotificationRequest linkBanner(const std::string& identifier, const std::string& url);

}  // namespace orvane::testing
