#pragma once

#include <optional>
#include <string>

#include "base/bytes.hpp"
#include "features/media/media_key_poster.hpp"

namespace orvane {

// Hears the phone's player and the outcome of the phone's commands for this
// computer's player. Called on the server's queue; all but `serverMacIsPlaying`
// return at once.
class MediaObserver {
 public:
  virtual ~MediaObserver() = default;
  virtual void serverMediaChanged(const std::optional<std::string>& app, const std::optional<std::string>& title,
                                  const std::optional<std::string>& artist, const std::optional<std::string>& album,
                                  bool playing, const std::optional<Bytes>& artwork) = 0;
  virtual void serverMediaCommandResult(MediaKeyPoster::Dispatch dispatch) = 0;
  // Whether this computer is playing; may block the server queue for at most 0.5 s.
  virtual std::optional<bool> serverMacIsPlaying() = 0;
};

}  // namespace orvane
