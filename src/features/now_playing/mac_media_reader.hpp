#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/bytes.hpp"

namespace orvane {

// The built-in reader of what this computer plays, asked when the outside adapter is
// absent. The platform's reader implements it (MPRIS over the session bus on Linux).
class MacMediaReader {
 public:
  // One answer, with the members a reader reports. Text members are as the player gave
  // them; the observer cleans them.
  struct Response {
    std::optional<std::string> title;
    std::optional<std::string> trackArtistName;
    std::optional<std::string> albumName;
    std::optional<bool> playing;  // absent counts as paused
    std::optional<std::string> app;
    // Cover art, where the platform's player offers it in a form we may read: its bytes,
    // or where to read them (loadArtwork), which may take long.
    std::optional<Bytes> artwork;
    std::optional<std::string> artworkURL;
    bool operator==(const Response&) const = default;
  };
  using Completion = std::function<void(const std::optional<Response>& response)>;

  virtual ~MacMediaReader() = default;

  // Reads what is playing now; may be called from any thread. `completion` runs once,
  // on the main thread: with the response, or none when nothing plays or no answer came
  // within 25 checks 0.1 s apart.
  virtual void readNowPlaying(Completion completion) = 0;
  // Asks to hear of changes: `changed` runs (on any thread) whenever what plays may have
  // changed, until the reader is destroyed. True when every change is heard this way,
  // so that nobody needs to poll; false when the reader cannot tell.
  virtual bool watchChanges(std::function<void()> changed) = 0;
  // False when no read can ever find anything, whatever plays: the platform's source
  // cannot be reached at all (MPRIS without a session bus), and every read completes
  // with none. Asked on the main thread.
  virtual bool canAnswer() const = 0;
  // The cover an answer names in `artworkURL`, read on the caller's thread (never the
  // main one: it may be a large file on a slow disk). None when it cannot be read.
  virtual std::optional<Bytes> loadArtwork(const std::string& url) = 0;
};

}  // namespace orvane
