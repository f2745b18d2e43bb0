#include "ui/models/header_options.hpp"

namespace orvane {

HeaderOptions::HeaderOptions(std::shared_ptr<UserDefaults> defaults) : defaults_(std::move(defaults)) {
  tabs = defaults_->boolOrFalse(tabsKey);
  quickActions = defaults_->boolOrFalse(quickActionsKey);
}

void HeaderOptions::setTabs(bool on) {
  defaults_->set(tabsKey, on);
  tabs = on;
}

void HeaderOptions::setQuickActions(bool on) {
  defaults_->set(quickActionsKey, on);
  quickActions = on;
}

}  // namespace orvane
