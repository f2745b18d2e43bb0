#include "ui/models/settings_history.hpp"

#include "ui/models/shown_names.hpp"

namespace orvane {

namespace {
// In the order of the enumeration.
constexpr ShownNames names[] = {
    {"devices", "Devices", "iphone.gen3"},
    {"features", "Features", "slider.horizontal.3"},
    {"about", "About", "info.circle"},
    {"advanced", "Advanced", "wrench.and.screwdriver"},
};
}  // namespace

std::string_view identifierOf(SettingsSection section) { return names[static_cast<int>(section)].identifier; }
std::string_view titleOf(SettingsSection section) { return names[static_cast<int>(section)].title; }
std::string_view symbolOf(SettingsSection section) { return names[static_cast<int>(section)].symbol; }

SettingsHistory::SettingsHistory(std::shared_ptr<SettingsNavigation> navigation, std::shared_ptr<SerialQueue> main)
    : navigation_(std::move(navigation)), main_(std::move(main)) {
  // The section the window opens at is where the user starts, not a visit.
  selection_ = navigation_->selectedTab.subscribe(
      [this](const std::optional<SettingsSection>& section) { selectionChanged(section); });
}

void SettingsHistory::selectionChanged(const std::optional<SettingsSection>& section) {
  if (*historyNavigation_ || !section) return;
  if (!history_.empty() && history_.back() == *section) return;
  if (index_ + 1 < history_.size())
    history_.erase(history_.begin() + static_cast<std::ptrdiff_t>(index_) + 1, history_.end());
  history_.push_back(*section);
  index_ = history_.size() - 1;
}

void SettingsHistory::back() {
  if (canGoBack()) moveTo(index_ - 1);
}

void SettingsHistory::forward() {
  if (canGoForward()) moveTo(index_ + 1);
}

void SettingsHistory::moveTo(std::size_t index) {
  *historyNavigation_ = true;
  index_ = index;
  navigation_->selectedTab = history_[index_];
  main_->post([flag = historyNavigation_] { *flag = false; });
}

}  // namespace orvane
