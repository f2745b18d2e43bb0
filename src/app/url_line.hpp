#pragma once

#include <optional>
#include <string>

namespace orvane {

// One link, sent or received. An outgoing link starts with the id "pending-" + a UUID
// and takes its envelope's id once sent.
struct UrlLine {
  std::string id;
  bool outgoing = false;
  std::string url;
  std::optional<bool> acked;  // none: waiting, or received; true: delivered; false: not in time
  std::optional<std::string> context;
  std::optional<std::string> app;
  bool operator==(const UrlLine&) const = default;
};

}  // namespace orvane
