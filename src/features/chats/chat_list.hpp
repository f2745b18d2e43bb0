#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.hpp"
#include "features/chats/chat_conversation.hpp"

// The rules that turn message notifications and the user's replies into conversations.
// Each works on the whole list, newest conversation first, and says whether it changed
// anything, so that the caller saves only real changes. Pure: no I/O, no clock reads
// beyond the one passed in.
namespace orvane::chats {

// An incoming line with the same text as a reply is that reply coming back from the
// messaging app when the two are closer than this; it is removed.
inline constexpr Seconds echoWindow{5.0};
// A notification with a reply's text this close to the reply is not taken in.
inline constexpr Seconds duplicateWindow{10.0};

// Whether the app's name holds "message" in any letter case.
bool isMessagingApp(std::string_view app);
// The app and the contact lower-cased (full Unicode case mapping), joined by "|".
std::string conversationKey(std::string_view app, std::string_view contact);

// Takes one notification in: a new conversation, a new line, a newer reply target, a
// respelled app or contact, or nothing at all for a notification already taken (the
// same notification arrives again on every change of the mirrored list). Only
// notifications from messaging apps, received after `clearedAt`, with a body, count.
// Keeps the list ordered by `updatedAt`, newest first (stable). True when it changed.
bool ingest(std::vector<ChatConversation>& list, const ChatNotification& notification, WallTime clearedAt);

// The phone's answer to a reply sent through `notificationID`: the last line still
// `sending` through it, in the first conversation that has one, becomes `sent` or
// `failed`. True when a line changed.
bool updateReplyStatus(std::vector<ChatConversation>& list, std::string_view notificationID, bool success);

// A reply ready to go to the phone.
struct ReplyToSend {
  std::string notificationID;
  std::string text;  // trimmed
};
// Appends the user's reply to conversation `conversationID` as a `sending` line with id
// `lineID`, made and dated now (`clock`), and moves the conversation to the front.
// None, and nothing changed, when the trimmed text is empty, the conversation is not
// there, or it cannot be replied to. Whether the phone is connected is the caller's
// test.
std::optional<ReplyToSend> appendReply(std::vector<ChatConversation>& list, std::string_view conversationID,
                                       std::string_view text, const Clock& clock, std::string lineID);

// Removes, in every conversation, the incoming lines that are echoes of a reply (same
// text, less than `echoWindow` apart). Neither re-sorts nor removes conversations.
// True when a line was removed.
bool pruneReplyEchoes(std::vector<ChatConversation>& list);

}  // namespace orvane::chats
