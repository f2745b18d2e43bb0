#pragma once

#include <optional>
#include <string>

namespace orvane {

// The program's version as the popover's footer and the settings show it: the release
// ("1.2.0") and the build ("145"), each absent (or empty) when the build did not set it.
struct ApplicationVersion {
  std::optional<std::string> shortVersion;
  std::optional<std::string> buildVersion;

  // "1.2.0 (145)"; only one of the two when the other is missing; none without either.
  std::optional<std::string> text() const;
};

}  // namespace orvane
