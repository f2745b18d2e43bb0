#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/store/bridge_records.hpp"
#include "base/clock.hpp"
#include "features/chats/chat_conversation.hpp"

// The rows of the hub's panes, each worked out from one entry of the store as it reads
// at a given moment (ages change as time passes).
namespace orvane {

// A conversation in the Messages pane's "Recent" list.
struct ChatRow {
  std::string id;
  std::string contact;
  std::string app;
  std::string lastMessage;  // empty for a conversation with no lines left
  std::string time;         // Fmt::age of its last change
  bool canReply = false;

  static ChatRow of(const ChatConversation& conversation, WallTime now);
  bool operator==(const ChatRow&) const = default;
};

// One line of the selected conversation's thread.
struct ChatBubble {
  enum class Mark { none, sending, sent, failed };
  std::string id;
  std::string text;
  bool outgoing = false;
  std::string time;
  Mark mark = Mark::none;
  // "Sending", "Reply may not have sent", or nothing; when a failed reply's
  // notification still holds the phone's reason, the reason follows.
  std::string markText;

  // `reasonFor` gives the phone's reason for the failed reply through a notification, if
  // it is still known.
  static ChatBubble of(const ChatMessageLine& line, WallTime now,
                       const std::function<std::optional<std::string>(const std::string&)>& reasonFor = {});
  static const char* nameOf(Mark mark);
  bool operator==(const ChatBubble&) const = default;
};

// A card of the Clipboard pane.
struct ClipCard {
  std::string id;
  std::string text;
  std::string age;
  bool outgoing = false;   // copied here and sent to the phone
  std::string direction;   // "Sent to phone" or "From phone", for the arrow's label

  static ClipCard of(const ClipEntry& entry, WallTime now);
  bool operator==(const ClipCard&) const = default;
};

// A row of the Links pane.
struct LinkRow {
  enum class State { received, waiting, delivered, notDelivered };
  std::string id;
  std::string url;
  bool outgoing = false;
  State state = State::received;
  std::string stateText;  // "Delivered", "Waiting", "Not delivered", or nothing for a received link

  static LinkRow of(const BridgeLink& link);
  static const char* nameOf(State state);
  bool operator==(const LinkRow&) const = default;
};

}  // namespace orvane
