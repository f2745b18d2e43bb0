#pragma once

#include <string_view>

namespace orvane {

// How one of a fixed set of places (a hub tab, a settings section) is named: the
// identifier the views and the settings keep, the title shown and its symbol.
struct ShownNames {
  std::string_view identifier;
  std::string_view title;
  std::string_view symbol;
};

}  // namespace orvane
