#include "features/chats/chat_list.hpp"

#include <algorithm>
#include <limits>

#include "base/text.hpp"

namespace orvane::chats {

namespace {

using Delivery = ChatMessageLine::Delivery;

bool allAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Equality of texts as a person reads them: canonically equivalent sequences are the
// same text. ASCII needs no normalising, and nearly every id and key is ASCII, so the
// list change that offers fifty known notifications again stays cheap.
bool sameText(std::string_view a, std::string_view b) {
  if (a == b) return true;
  if (allAscii(a) && allAscii(b)) return false;
  return text::canonicallyEqual(a, b);
}

// Whether two moments are less than `window` apart, either way. Computed on whole
// nanoseconds so that a boundary such as exactly five seconds is exact; a difference
// too large to count cannot be inside any window.
bool within(WallTime a, WallTime b, Seconds window) {
  std::int64_t difference = 0;
  if (__builtin_sub_overflow(a.time_since_epoch().count(), b.time_since_epoch().count(), &difference)) return false;
  if (difference == std::numeric_limits<std::int64_t>::min()) return false;
  const WallTime::duration apart(difference < 0 ? -difference : difference);
  return apart < window;
}

// `t` less `window` (held at the start of time): nothing before it is within the
// window of `t`.
WallTime earliestWithin(WallTime t, Seconds window) {
  const auto span = std::chrono::duration_cast<WallTime::duration>(window);
  return t < WallTime::min() + span ? WallTime::min() : t - span;
}

// An incoming line is a reply's echo when the messaging app posted the user's reply
// back as a notification: same text, close in time. `replies` is ordered by time, so
// only the few replies near the line are looked at: this runs for every notification
// of every change of the mirrored list, and a conversation in memory is never cut.
bool isEcho(const ChatMessageLine& line, const std::vector<const ChatMessageLine*>& replies) {
  if (line.isOutgoing) return false;
  auto reply = std::lower_bound(replies.begin(), replies.end(), earliestWithin(line.sentAt, echoWindow),
                                [](const ChatMessageLine* r, WallTime t) { return r->sentAt < t; });
  for (; reply != replies.end(); ++reply) {
    if (!within((*reply)->sentAt, line.sentAt, echoWindow)) {
      if ((*reply)->sentAt > line.sentAt) break;
      continue;
    }
    if (sameText((*reply)->text, line.text)) return true;
  }
  return false;
}

bool removeEchoes(ChatConversation& conversation) {
  auto& lines = conversation.messages;
  std::vector<const ChatMessageLine*> replies;
  for (const auto& line : lines) {
    if (line.isOutgoing) replies.push_back(&line);
  }
  if (replies.empty()) return false;
  std::stable_sort(replies.begin(), replies.end(),
                   [](const ChatMessageLine* a, const ChatMessageLine* b) { return a->sentAt < b->sentAt; });
  // Decided for every line before any moves: the replies point into `lines`.
  std::vector<bool> echo(lines.size());
  bool any = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    echo[i] = isEcho(lines[i], replies);
    any = any || echo[i];
  }
  if (!any) return false;
  std::vector<ChatMessageLine> kept;
  kept.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!echo[i]) kept.push_back(std::move(lines[i]));
  }
  lines = std::move(kept);
  return true;
}

bool isDuplicate(const ChatConversation& conversation, const ChatNotification& notification, std::string_view text) {
  return std::any_of(conversation.messages.begin(), conversation.messages.end(), [&](const ChatMessageLine& line) {
    if (line.isOutgoing) {
      // The reply coming back from the messaging app, before an echo line exists.
      return within(line.sentAt, notification.receivedAt, duplicateWindow) && sameText(line.text, text);
    }
    return line.sourceNotificationID && sameText(*line.sourceNotificationID, notification.id) &&
           sameText(line.text, text);
  });
}

WallTime latestIncoming(const ChatConversation& conversation) {
  WallTime latest = distantPast;
  for (const auto& line : conversation.messages) {
    if (!line.isOutgoing) latest = std::max(latest, line.sentAt);
  }
  return latest;
}

ChatMessageLine incomingLine(const ChatNotification& notification, std::string text) {
  return ChatMessageLine{notification.id + "|" + text, notification.id, std::move(text), false,
                         notification.receivedAt, Delivery::incoming};
}

void sortNewestFirst(std::vector<ChatConversation>& list) {
  const auto newer = [](const ChatConversation& a, const ChatConversation& b) { return a.updatedAt > b.updatedAt; };
  // Nearly always sorted already, or one conversation out of place; a stable sort
  // would still move every conversation through its buffer.
  if (!std::is_sorted(list.begin(), list.end(), newer)) std::stable_sort(list.begin(), list.end(), newer);
}

}  // namespace

bool isMessagingApp(std::string_view app) { return text::lower(app).find("message") != std::string::npos; }

std::string conversationKey(std::string_view app, std::string_view contact) {
  return text::lower(app) + "|" + text::lower(contact);
}

bool ingest(std::vector<ChatConversation>& list, const ChatNotification& notification, WallTime clearedAt) {
  if (!isMessagingApp(notification.app)) return false;
  // What was there when the user cleared the chats stays cleared, although the phone
  // keeps offering it.
  if (notification.receivedAt <= clearedAt) return false;
  if (!notification.body) return false;
  std::string lineText = text::trim(*notification.body);
  if (lineText.empty()) return false;

  std::string title = notification.title ? text::trim(*notification.title) : std::string();
  std::string contact = title.empty() ? notification.app : std::move(title);
  const std::string key = conversationKey(notification.app, contact);

  const auto found = std::find_if(list.begin(), list.end(),
                                  [&](const ChatConversation& conversation) { return sameText(conversation.id, key); });
  if (found == list.end()) {
    ChatConversation conversation{key,       notification.app,          std::move(contact), notification.receivedAt,
                                  notification.id, notification.canReply, {}};
    conversation.messages.push_back(incomingLine(notification, std::move(lineText)));
    list.push_back(std::move(conversation));
    sortNewestFirst(list);
    return true;
  }

  // Worked on in place: every step below writes only what it reports as a change, so
  // a notification already taken leaves the conversation as it was, as a copy put
  // back only on change would.
  ChatConversation& conversation = *found;
  bool changed = false;
  // Titles and app names that differ only in letter case share a conversation; it is
  // shown as the latest notification spells it.
  if (!sameText(conversation.app, notification.app)) {
    conversation.app = notification.app;
    changed = true;
  }
  if (!sameText(conversation.contact, contact)) {
    conversation.contact = std::move(contact);
    changed = true;
  }
  // The phone lists notifications in no particular order: an older one seen later
  // must not take the reply target from a newer one.
  if (notification.receivedAt >= latestIncoming(conversation)) {
    if (!conversation.replyNotificationID || *conversation.replyNotificationID != notification.id ||
        conversation.canReply != notification.canReply) {
      conversation.replyNotificationID = notification.id;
      conversation.canReply = notification.canReply;
      changed = true;
    }
  }
  bool linesChanged = removeEchoes(conversation);
  if (!isDuplicate(conversation, notification, lineText)) {
    conversation.messages.push_back(incomingLine(notification, std::move(lineText)));
    linesChanged = true;
  }
  if (linesChanged) {
    changed = true;
    std::stable_sort(conversation.messages.begin(), conversation.messages.end(),
                     [](const ChatMessageLine& a, const ChatMessageLine& b) { return a.sentAt < b.sentAt; });
  }
  if (notification.receivedAt > conversation.updatedAt) {
    conversation.updatedAt = notification.receivedAt;
    changed = true;
  }
  if (!changed) return false;
  sortNewestFirst(list);
  return true;
}

bool updateReplyStatus(std::vector<ChatConversation>& list, std::string_view notificationID, bool success) {
  const auto waiting = [&](const ChatMessageLine& line) {
    return line.isOutgoing && line.delivery == Delivery::sending && line.sourceNotificationID &&
           sameText(*line.sourceNotificationID, notificationID);
  };
  for (auto& conversation : list) {
    auto& lines = conversation.messages;
    // The phone keeps one result per notification, that of the last reply through it.
    const auto last = std::find_if(lines.rbegin(), lines.rend(), waiting);
    if (last == lines.rend()) continue;
    last->delivery = success ? Delivery::sent : Delivery::failed;
    return true;
  }
  return false;
}

std::optional<ReplyToSend> appendReply(std::vector<ChatConversation>& list, std::string_view conversationID,
                                       std::string_view text, const Clock& clock, std::string lineID) {
  std::string trimmed = text::trim(text);
  if (trimmed.empty()) return std::nullopt;
  const auto found = std::find_if(list.begin(), list.end(), [&](const ChatConversation& conversation) {
    return sameText(conversation.id, conversationID);
  });
  if (found == list.end() || !found->canReply || !found->replyNotificationID) return std::nullopt;

  ChatConversation& conversation = *found;
  const std::string notificationID = *conversation.replyNotificationID;
  // Appended without sorting the lines: nothing in the conversation is newer than now.
  conversation.messages.push_back(
      ChatMessageLine{std::move(lineID), notificationID, trimmed, true, clock.wallNow(), Delivery::sending});
  conversation.updatedAt = clock.wallNow();
  sortNewestFirst(list);
  return ReplyToSend{notificationID, std::move(trimmed)};
}

bool pruneReplyEchoes(std::vector<ChatConversation>& list) {
  bool removed = false;
  for (auto& conversation : list) removed = removeEchoes(conversation) || removed;
  return removed;
}

}  // namespace orvane::chats
