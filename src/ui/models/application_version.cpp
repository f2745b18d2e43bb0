#include "ui/models/application_version.hpp"

namespace orvane {

std::optional<std::string> ApplicationVersion::text() const {
  const bool hasShort = shortVersion && !shortVersion->empty();
  const bool hasBuild = buildVersion && !buildVersion->empty();
  if (hasShort && hasBuild) return *shortVersion + " (" + *buildVersion + ")";
  if (hasShort) return *shortVersion;
  if (hasBuild) return *buildVersion;
  return std::nullopt;
}

}  // namespace orvane
