#pragma once

#include <functional>
#include <utility>

#include "app/workspace.hpp"

namespace orvane {

// The Linux desktop needs no permission to control players: they are reached over the
// session bus. So there is no settings page to open, and the process counts as trusted
// exactly when a player can be controlled.
class LinuxWorkspace final : public Workspace {
 public:
  explicit LinuxWorkspace(std::function<bool()> canControlPlayers) : canControlPlayers_(std::move(canControlPlayers)) {}
  void openAccessibilitySettings() override {}
  bool isProcessTrusted() override { return canControlPlayers_ && canControlPlayers_(); }

 private:
  std::function<bool()> canControlPlayers_;
};

}  // namespace orvane
