#pragma once

#include <functional>

#include "app/workspace.hpp"
#include "base/log.hpp"

namespace orvane {

// The Linux desktop as the hub's workspace. Links open with the desktop's handler
// (QDesktopServices: xdg-open, or the portal when sandboxed), which needs the graphical
// application object: without a display there is nothing to open links on.
//
// The desktop needs no permission to control players, which are reached over the
// session bus: there is no settings page to open, and the process counts as trusted
// exactly when a player can be controlled.
class QtWorkspace final : public Workspace {
 public:
  QtWorkspace(Logger log, std::function<bool()> canControlPlayers);
  bool openURL(const std::string& url) override;
  void openAccessibilitySettings() override {}
  bool isProcessTrusted() override { return canControlPlayers_ && canControlPlayers_(); }

 private:
  Logger log_;
  std::function<bool()> canControlPlayers_;
};

}  // namespace orvane
