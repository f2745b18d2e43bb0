#include "ui/models/notification_card.hpp"

#include "base/text.hpp"
#include "ui/models/fmt.hpp"

namespace orvane {

NotificationCard NotificationCard::of(const BridgeNotification& n, WallTime now) {
  NotificationCard card;
  card.id = n.id;
  card.app = n.app;
  card.title = n.title.value_or("");
  card.body = n.body.value_or("");
  card.age = Fmt::knownAge(n.receivedAt, now);
  card.canReply = n.canReply;
  card.replyFailed = n.replyResult == false;
  if (card.replyFailed) {
    const std::string reason = n.replyDetail ? text::trim(*n.replyDetail) : std::string();
    card.replyFailure = reason.empty() ? std::string("Reply not sent") : "Reply not sent: " + reason;
  }
  return card;
}

std::optional<std::string> NotificationCard::replyText(std::string_view typed) {
  std::string trimmed = text::trim(typed);
  if (trimmed.empty()) return std::nullopt;
  return trimmed;
}

}  // namespace orvane
