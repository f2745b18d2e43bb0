#pragma once

#include <optional>
#include <string>

#include "base/bytes.hpp"

namespace orvane {

// Small and large artwork renditions, already encoded by the caller.
struct ArtworkRenditions {
  std::optional<Bytes> small;
  std::optional<Bytes> large;
  bool operator==(const ArtworkRenditions&) const = default;
};

// What this computer is playing, as handed to the server to tell the phone.
struct MacNowPlaying {
  std::optional<std::string> app;
  std::optional<std::string> title;
  std::optional<std::string> artist;
  std::optional<std::string> album;
  bool playing = false;
  std::optional<ArtworkRenditions> artwork;
};

}  // namespace orvane
