#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvane {

// What a program shared with Flingshare: links (a browser's or file manager's "Send to"
// hands URLs) and text (a sentence typed on the command line, or standard input).
struct SharedItem {
  enum class Kind { url, text };
  Kind kind = Kind::text;
  std::string value;
  bool operator==(const SharedItem&) const = default;
};

namespace SharedItems {

// The command line's arguments as items: one that starts with a URL scheme ("https:",
// "file:", …) is a URL, anything else is text.
std::vector<SharedItem> fromArguments(const std::vector<std::string>& arguments);

// The link to hand on. The first URL item wins as it is (the hand-off checks it); a text
// item counts when no URL item is there: the text when it is a link as a whole, else
// the first web link in it. None when nothing was shared or the text holds no link.
std::optional<std::string> linkToShare(const std::vector<SharedItem>& items);

}  // namespace SharedItems
}  // namespace orvane
