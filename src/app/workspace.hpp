#pragma once

#include <string>

namespace orvane {

// The desktop around the program: its handler of links, its settings pages and the
// permission to post input events (media keys) on the user's behalf.
class Workspace {
 public:
  virtual ~Workspace() = default;
  // Opens `url` with the desktop's handler (the default browser for web links); false
  // when the desktop has none or it refused.
  virtual bool openURL(const std::string& url) = 0;
  // Opens the page where the user grants that permission, where the desktop has one.
  virtual void openAccessibilitySettings() = 0;
  // Whether this process may post media keys now.
  virtual bool isProcessTrusted() = 0;
};

}  // namespace orvane
