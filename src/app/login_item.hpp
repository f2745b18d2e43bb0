#pragma once

#include <string>

#include "base/expected.hpp"

namespace orvane {

// Whether the program starts by itself when the user logs in to the desktop.
class LoginItem {
 public:
  virtual ~LoginItem() = default;
  // Whether it starts at login now, as the desktop will see it.
  virtual bool enabled() const = 0;
  // Turns starting at login on or off; the error says why the desktop's entry could not
  // be written or removed, in words fit to show.
  virtual expected<void, std::string> setEnabled(bool on) = 0;
};

}  // namespace orvane
