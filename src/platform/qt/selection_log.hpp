#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

// A new content of the clipboard: the MIME types it is offered in, or none at all when
// the clipboard was emptied.
struct Selection {
  bool cleared = false;
  std::vector<std::string> types;
};

// Follows the clipboard through the protocol log that libwayland writes to standard
// error when WAYLAND_DEBUG=1, as `wl-paste --watch` sees it through data control. Each
// new content comes as an offer (a data_offer event), the types it is offered in (one
// offer event each), then the selection event naming the offer; an empty clipboard is a
// selection of nil. Lines of other objects, our own requests and the primary selection
// are passed over.
//
// wl-paste itself runs its command for each new content, but it says nothing when the
// clipboard is emptied, nor at start when it is empty, and its command cannot tell
// whose content it saw; this log tells all of it, in the order of the compositor.
class SelectionLog {
 public:
  // One line of the log, without its newline; the selection it completes, if any.
  std::optional<Selection> take(std::string_view line);

 private:
  // The offers announced and not yet named by a selection, newest last. Offers of the
  // primary selection are never named by one; they go as newer ones come.
  std::deque<std::pair<std::string, std::vector<std::string>>> offers_;
};

}  // namespace orvane
