#include "wiring/displayless_services.hpp"

#include "app/memory_pasteboard.hpp"

namespace orvane {
namespace {

class DisplaylessWorkspace final : public Workspace {
 public:
  DisplaylessWorkspace(Logger log, std::function<bool()> canControlPlayers)
      : log_(std::move(log)), canControlPlayers_(std::move(canControlPlayers)) {}

  bool openURL(const std::string&) override {
    log_.info("no desktop to open links on");
    return false;
  }
  void openAccessibilitySettings() override {}
  // Players are reached over the session bus, which needs no permission.
  bool isProcessTrusted() override { return canControlPlayers_ && canControlPlayers_(); }

 private:
  Logger log_;
  std::function<bool()> canControlPlayers_;
};

}  // namespace

DesktopServices displaylessServices() {
  DesktopServices services;
  services.makePasteboard = [](const std::shared_ptr<LogSink>&) { return std::make_shared<MemoryPasteboard>(); };
  services.makeWorkspace = [](Logger log, std::function<bool()> canControlPlayers) {
    return std::make_shared<DisplaylessWorkspace>(std::move(log), std::move(canControlPlayers));
  };
  return services;
}

}  // namespace orvane
