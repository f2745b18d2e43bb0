#pragma once

#include <optional>
#include <string>

namespace orvane {

// One plain text message, sent or received; ids as for links.
struct ChatLine {
  std::string id;
  bool outgoing = false;
  std::string text;
  std::optional<bool> acked;
  bool operator==(const ChatLine&) const = default;
};

}  // namespace orvane
