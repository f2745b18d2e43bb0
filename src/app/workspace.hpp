#pragma once

namespace orvane {

// The desktop around the program: its settings pages and the permission to post
// input events (media keys) on the user's behalf.
class Workspace {
 public:
  virtual ~Workspace() = default;
  // Opens the page where the user grants that permission, where the desktop has one.
  virtual void openAccessibilitySettings() = 0;
  // Whether this process may post media keys now.
  virtual bool isProcessTrusted() = 0;
};

}  // namespace orvane
