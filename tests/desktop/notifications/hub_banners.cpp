#include "hub_banners.hpp"

namespace orvane::testing {

std::vector<NotificationCategory> hubCategories() {
  using Kind = NotificationAction::Kind;
  const NotificationAction dismiss{"zel.notif.dismiss", "Dismiss", Kind::destructive};
  const NotificationAction reply{"zel.notif.replyinput", "Reply", Kind::textInput, true, "Send", "Reply…"};
  return {
      {"zel.notif", {dismiss}},
      {"zel.notif.reply", {dismiss, reply}},
      {"zel.url", {{"zel.url.open", "Open", Kind::plain, true}, {"zel.url.copy", "Copy", Kind::plain, true}}},
  };
}

NotificationRequest phoneBanner(const std::string& id, bool replyable) {
  return {"zel-notif-" + id, "Signal",  "Ada",
          "lunch at noon?",  replyable ? "zel.notif.reply" : "zel.notif", {{"notif_id", id}}};
}

NotificationRequest linkBanner(const std::string& identifier, const std::string& url) {
  return {identifier, "Link from the phone", std::nullopt, url, "zel.url", {{"url", url}}};
}

}  // namespace orvane::testing
