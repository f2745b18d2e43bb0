#pragma once

// Short spellings of conversations, lines and notifications for the chats tests, all
// dated in seconds after one fixed moment.

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/clock.hpp"
#include "features/chats/chat_conversation.hpp"

namespace orvane::chat_samples {

using Delivery = ChatMessageLine::Delivery;

// 2026-01-05 14:30:00 UTC, where FakeClock starts.
inline const WallTime origin = WallTime{} + std::chrono::seconds(1767623400);

inline WallTime at(double seconds) {
  return origin + std::chrono::duration_cast<WallTime::duration>(Seconds(seconds));
}

inline ChatNotification notification(std::string id, std::string app, std::optional<std::string> title,
                                     std::optional<std::string> body, double seconds, bool canReply = true) {
  return ChatNotification{std::move(id), std::move(app), std::move(title), std::move(body), at(seconds), canReply};
}

// An incoming line as a notification makes it.
inline ChatMessageLine incoming(const std::string& notificationID, const std::string& text, double seconds) {
  return ChatMessageLine{notificationID + "|" + text, notificationID, text, false, at(seconds), Delivery::incoming};
}

inline ChatMessageLine reply(std::string lineID, std::string notificationID, std::string text, double seconds,
                             Delivery delivery = Delivery::sending) {
  return ChatMessageLine{std::move(lineID), std::move(notificationID), std::move(text), true, at(seconds), delivery};
}

inline ChatConversation conversation(std::string id, std::string app, std::string contact, double updated,
                                     std::optional<std::string> replyID, bool canReply,
                                     std::vector<ChatMessageLine> lines) {
  return ChatConversation{std::move(id), std::move(app), std::move(contact), at(updated), std::move(replyID),
                          canReply, std::move(lines)};
}

// `count` conversations "c<i>" of `lines` incoming lines each, conversation i updated
// at second `count - i` (so the list is newest first), line j of it at updated − lines + j + 1.
inline std::vector<ChatConversation> manyConversations(int count, int lines) {
  std::vector<ChatConversation> out;
  for (int i = 0; i < count; ++i) {
    const std::string id = "c" + std::to_string(i);
    const double updated = 100000.0 * (count - i);
    std::vector<ChatMessageLine> messages;
    for (int j = 0; j < lines; ++j) {
      messages.push_back(incoming(id + "-n" + std::to_string(j), "line " + std::to_string(j), updated - lines + j + 1));
    }
    out.push_back(conversation("messages|" + id, "Messages", id, updated, id + "-n" + std::to_string(lines - 1), true,
                               std::move(messages)));
  }
  return out;
}

}  // namespace orvane::chat_samples

namespace orvane {

inline double secondsAfterOrigin(WallTime t) { return Seconds(t - chat_samples::origin).count(); }

// Failure messages of GoogleTest show whole conversations in a form a person can read.
inline std::ostream& operator<<(std::ostream& os, const ChatMessageLine& line) {
  return os << "{" << line.id << (line.isOutgoing ? " out " : " in ") << ChatMessageLine::nameOf(line.delivery)
            << " at " << secondsAfterOrigin(line.sentAt) << "}";
}

inline std::ostream& operator<<(std::ostream& os, const ChatConversation& conversation) {
  os << "{" << conversation.id << " '" << conversation.app << "' '" << conversation.contact << "' at "
     << secondsAfterOrigin(conversation.updatedAt) << " reply "
     << conversation.replyNotificationID.value_or("none") << (conversation.canReply ? "" : " (cannot reply)") << " [";
  for (const auto& line : conversation.messages) os << line;
  return os << "]}";
}

}  // namespace orvane
