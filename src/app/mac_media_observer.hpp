#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/bytes.hpp"
#include "features/media/mac_now_playing.hpp"

namespace orvane {

// Watches what this computer's own player is playing, for the hub and the phone.
class MacMediaObserver {
 public:
  struct Track {
    std::string app;  // never empty
    std::optional<std::string> title;
    std::optional<std::string> artist;
    std::optional<std::string> album;
    bool playing = false;
    std::optional<Bytes> artwork;  // as the source delivered it, any image format
    // The phone's two renditions of the cover, made where the track was read (never on
    // the main thread); none when there is no cover or it could not be decoded.
    std::optional<ArtworkRenditions> renditions;
    bool operator==(const Track&) const = default;
  };
  using ChangeHandler = std::function<void(const std::optional<Track>& track)>;
  using UnavailableHandler = std::function<void()>;

  virtual ~MacMediaObserver() = default;
  // Set once, right after creation; both run on the main thread.
  virtual void setHandlers(ChangeHandler onChange, UnavailableHandler onUnavailable) = 0;
  // Forgets the last report and reads again now; returns at once.
  virtual void refresh() = 0;
};

}  // namespace orvane
