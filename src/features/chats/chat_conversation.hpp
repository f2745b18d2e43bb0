#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.hpp"

namespace orvane {

// Stands for "before anything happened": later than no real moment.
inline constexpr WallTime distantPast = WallTime::min();

// One line of a chat: a text that came in through a message notification, or a reply
// the user typed here.
struct ChatMessageLine {
  // Incoming lines stay `incoming`; a reply starts as `sending` and ends `sent` or `failed`.
  enum class Delivery { incoming, sending, sent, failed };

  std::string id;  // incoming: notification id + "|" + text; outgoing: a new upper-case UUID
  // Incoming: the notification the line came from; outgoing: the one the reply went through.
  std::optional<std::string> sourceNotificationID;
  std::string text;  // trimmed
  bool isOutgoing = false;
  WallTime sentAt{};
  Delivery delivery = Delivery::incoming;
  bool operator==(const ChatMessageLine&) const = default;

  // "incoming", "sending", "sent", "failed": the stored and printed spelling.
  static std::string_view nameOf(Delivery delivery);
  static std::optional<Delivery> deliveryNamed(std::string_view name);
};

// One conversation: a messaging app and one contact.
struct ChatConversation {
  std::string id;       // the app and the contact, lower-cased, joined by "|"
  std::string app;      // spelled as the latest notification spelled it
  std::string contact;  // the trimmed title, or the app when there is none
  WallTime updatedAt{};
  std::optional<std::string> replyNotificationID;  // the notification replies go through
  bool canReply = false;
  std::vector<ChatMessageLine> messages;  // oldest first
  bool operator==(const ChatConversation&) const = default;
};

// What a chat takes from one mirrored phone notification.
struct ChatNotification {
  std::string id;
  std::string app;
  std::optional<std::string> title;
  std::optional<std::string> body;
  WallTime receivedAt{};
  bool canReply = false;
};

}  // namespace orvane
