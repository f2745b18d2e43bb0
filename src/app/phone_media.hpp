#pragma once

#include <optional>
#include <string>

#include "base/bytes.hpp"

namespace orvane {

// What the phone is playing, as it last reported.
struct PhoneMedia {
  std::string app;
  std::optional<std::string> title;
  std::optional<std::string> artist;
  std::optional<std::string> album;
  bool playing = false;
  std::optional<Bytes> artwork;
  bool operator==(const PhoneMedia&) const = default;
};

}  // namespace orvane
