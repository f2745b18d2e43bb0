#include "ui/models/hub_pane_rows.hpp"

#include "base/text.hpp"
#include "ui/models/fmt.hpp"

namespace orvane {

ChatRow ChatRow::of(const ChatConversation& c, WallTime now) {
  ChatRow row{c.id, c.contact, c.app, {}, Fmt::knownAge(c.updatedAt, now), c.canReply};
  if (!c.messages.empty()) row.lastMessage = text::collapse(c.messages.back().text);
  return row;
}

ChatBubble ChatBubble::of(const ChatMessageLine& line, WallTime now,
                          const std::function<std::optional<std::string>(const std::string&)>& reasonFor) {
  ChatBubble bubble{line.id, line.text, line.isOutgoing, Fmt::knownAge(line.sentAt, now), Mark::none, {}};
  switch (line.delivery) {
    case ChatMessageLine::Delivery::incoming:
      break;
    case ChatMessageLine::Delivery::sending:
      bubble.mark = Mark::sending;
      bubble.markText = "Sending";
      break;
    case ChatMessageLine::Delivery::sent:
      bubble.mark = Mark::sent;
      break;
    case ChatMessageLine::Delivery::failed: {
      bubble.mark = Mark::failed;
      bubble.markText = "Reply may not have sent";
      std::optional<std::string> reason;
      if (reasonFor && line.sourceNotificationID) reason = reasonFor(*line.sourceNotificationID);
      if (reason && !text::trim(*reason).empty()) bubble.markText += ": " + text::trim(*reason);
      break;
    }
  }
  return bubble;
}

const char* ChatBubble::nameOf(Mark mark) {
  switch (mark) {
    case Mark::none: return "none";
    case Mark::sending: return "sending";
    case Mark::sent: return "sent";
    case Mark::failed: return "failed";
  }
  return "none";
}

ClipCard ClipCard::of(const ClipEntry& entry, WallTime now) {
  return {entry.id, entry.text, Fmt::age(entry.at, now), entry.outgoing, entry.outgoing ? "Sent to phone" : "From phone"};
}

LinkRow LinkRow::of(const BridgeLink& link) {
  LinkRow row{link.id, link.url, link.outgoing, State::received, {}};
  if (!link.outgoing) return row;
  if (!link.acked) {
    row.state = State::waiting;
    row.stateText = "Waiting";
  } else if (*link.acked) {
    row.state = State::delivered;
    row.stateText = "Delivered";
  } else {
    row.state = State::notDelivered;
    row.stateText = "Not delivered";
  }
  return row;
}

const char* LinkRow::nameOf(State state) {
  switch (state) {
    case State::received: return "received";
    case State::waiting: return "waiting";
    case State::delivered: return "delivered";
    case State::notDelivered: return "notDelivered";
  }
  return "received";
}

}  // namespace orvane
