#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "base/observable.hpp"
#include "base/serial_queue.hpp"

namespace orvane {

// The settings window's sections.
enum class SettingsSection { devices, features, about, advanced };

// In the sidebar's order.
inline constexpr std::array<SettingsSection, 4> settingsSections = {SettingsSection::devices, SettingsSection::features,
                                                                    SettingsSection::about, SettingsSection::advanced};

// "devices", "features", "about", "advanced".
std::string_view identifierOf(SettingsSection section);
// "Devices", "Features", "About", "Advanced".
std::string_view titleOf(SettingsSection section);
// The symbol beside the title in the sidebar.
std::string_view symbolOf(SettingsSection section);

// The section the settings window shows, shared by everything that opens the window at
// a section; the sidebar's selection is bound to it.
struct SettingsNavigation {
  Observable<std::optional<SettingsSection>> selectedTab;
};

// The back and forward history of the settings window, in the manner of a browser:
// every section the user moves to is recorded, moving somewhere new from a step back
// drops the steps ahead, and going back or forward moves the selection without
// recording it. Lives on the main thread.
class SettingsHistory {
 public:
  SettingsHistory(std::shared_ptr<SettingsNavigation> navigation, std::shared_ptr<SerialQueue> main);
  SettingsHistory(const SettingsHistory&) = delete;
  SettingsHistory& operator=(const SettingsHistory&) = delete;

  const std::vector<SettingsSection>& history() const { return history_; }
  std::size_t historyIndex() const { return index_; }

  // Whether the toolbar's back ("chevron.left") and forward ("chevron.right") buttons are enabled.
  bool canGoBack() const { return index_ > 0; }
  bool canGoForward() const { return index_ + 1 < history_.size(); }
  void back();
  void forward();

 private:
  void selectionChanged(const std::optional<SettingsSection>& section);
  void moveTo(std::size_t index);

  std::shared_ptr<SettingsNavigation> navigation_;
  std::shared_ptr<SerialQueue> main_;
  std::vector<SettingsSection> history_;
  std::size_t index_ = 0;
  // Set while back or forward moves the selection, until the main queue's next turn,
  // so that the move is not recorded as a new visit.
  std::shared_ptr<bool> historyNavigation_ = std::make_shared<bool>(false);
  Subscription selection_;  // last: ends before the rest is torn down
};

}  // namespace orvane
