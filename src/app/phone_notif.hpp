#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

// One of the phone's notifications, mirrored.
struct PhoneNotif {
  std::string id;  // the phone's notification key
  std::string app;
  std::optional<std::string> title;
  std::optional<std::string> text;
  std::int64_t time = 0;
  bool replyable = false;
  std::optional<bool> replyResult;         // none: no reply yet, or one on its way
  std::optional<std::string> replyDetail;  // why the last reply failed
  // Set anew by the hub whenever the entry changes (never 0 there), so that a copy can
  // tell a changed entry from an unchanged one without comparing its texts.
  std::uint64_t revision = 0;
  bool operator==(const PhoneNotif&) const = default;
};

}  // namespace orvane
