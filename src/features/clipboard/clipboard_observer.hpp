#pragma once

#include <string>

namespace orvane {

// Hears clipboard text accepted from the phone. Called on the server's queue.
class ClipboardObserver {
 public:
  virtual ~ClipboardObserver() = default;
  virtual void serverClipboardReceived(const std::string& text, const std::string& clipID, const std::string& origin) = 0;
};

}  // namespace orvane
