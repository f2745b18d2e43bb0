#pragma once

#include <memory>

#include "base/observable.hpp"
#include "base/user_defaults.hpp"

namespace orvane {

// What the hub's header row shows besides the search button and the settings button:
// the section tabs and the quick actions, both off until the user turns them on in the
// settings window. One object shared by both windows, so the header follows a switch
// at once; every change is kept in the user's defaults.
class HeaderOptions {
 public:
  static constexpr const char* tabsKey = "orvane.header.tabs";
  static constexpr const char* quickActionsKey = "orvane.header.quickActions";

  explicit HeaderOptions(std::shared_ptr<UserDefaults> defaults);

  Observable<bool> tabs;
  Observable<bool> quickActions;

  void setTabs(bool on);
  void setQuickActions(bool on);

 private:
  std::shared_ptr<UserDefaults> defaults_;
};

}  // namespace orvane
