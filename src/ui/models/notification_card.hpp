#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/store/bridge_records.hpp"
#include "base/clock.hpp"

namespace orvane {

// One card of the notifications column, as it reads at `now`.
struct NotificationCard {
  std::string id;
  std::string app;
  std::string title;  // empty when the phone sent none
  std::string body;   // empty when the phone sent none
  std::string age;    // Fmt::age of when it arrived
  bool canReply = false;
  // The last reply through this notification failed: the card says why and offers to
  // send the same text again.
  bool replyFailed = false;
  std::string replyFailure;  // "Reply not sent: " and the phone's reason, when it gave one

  static NotificationCard of(const BridgeNotification& notification, WallTime now);

  // What a reply field sends for `typed`: the text trimmed of white space and newlines,
  // or none when nothing is left (nothing is sent, the field keeps what it had).
  static std::optional<std::string> replyText(std::string_view typed);

  bool operator==(const NotificationCard&) const = default;
};

}  // namespace orvane
