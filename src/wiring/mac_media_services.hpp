#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "base/bytes.hpp"
#include "base/log.hpp"
#include "base/serial_queue.hpp"
#include "features/media/mac_now_playing.hpp"

namespace orvane {
class ArtworkCodec;
class ArtworkRendition;
class MacMediaWatcher;
class MprisMediaKeyOutput;
class MprisNowPlayingReader;
class PerlMediaRemoteAdapter;
class ThreadQueue;


// This computer's player, as the program reaches it: the outside adapter from the folder
// beside the program (absent on a stock desktop), MPRIS on the session bus for reading
// and for the phone's commands, the watcher on its own queue, and the covers' renditions
// for the phone. Made and destroyed on the main thread; destroying it stops the
// adapter's stream process and the watcher's thread.
class MacMediaServices {
 public:
  // Covers are re-encoded for the phone with `artworkCodec`; without one they go
  // without renditions.
  MacMediaServices(std::shared_ptr<SerialQueue> main, std::shared_ptr<LogSink> log,
                   std::shared_ptr<ArtworkCodec> artworkCodec);
  ~MacMediaServices();
  MacMediaServices(const MacMediaServices&) = delete;
  MacMediaServices& operator=(const MacMediaServices&) = delete;

  std::shared_ptr<MprisMediaKeyOutput> mediaKeys() const { return mediaKeys_; }
  std::shared_ptr<MacMediaWatcher> watcher() const { return watcher_; }
  // For the workspace: whether players can be controlled at all.
  std::function<bool()> canControlPlayers() const;

 private:
  // Destroyed from the last up: the watcher before its queue and its sources.
  std::shared_ptr<PerlMediaRemoteAdapter> adapter_;
  std::shared_ptr<MprisMediaKeyOutput> mediaKeys_;
  std::shared_ptr<ArtworkRendition> artwork_;
  std::shared_ptr<MprisNowPlayingReader> reader_;
  std::shared_ptr<ThreadQueue> queue_;
  std::shared_ptr<MacMediaWatcher> watcher_;
};

}  // namespace orvane
