#include "wiring/mac_media_services.hpp"

#include "app/mac_media_watcher.hpp"
#include "base/thread_queue.hpp"
#include "features/media/artwork_rendition.hpp"
#include "platform/linux/perl_media_remote_adapter.hpp"
#include "platform/qt/mpris_media_key_output.hpp"
#include "platform/qt/mpris_now_playing_reader.hpp"

namespace orvane {

MacMediaServices::MacMediaServices(std::shared_ptr<SerialQueue> main, std::shared_ptr<LogSink> log,
                                   std::shared_ptr<ArtworkCodec> artworkCodec)
    : adapter_(std::make_shared<PerlMediaRemoteAdapter>(PerlMediaRemoteAdapter::besideProgram(), main)),
      mediaKeys_(std::make_shared<MprisMediaKeyOutput>(adapter_, Logger(log, "media"))),
      artwork_(artworkCodec ? std::make_shared<ArtworkRendition>(std::move(artworkCodec)) : nullptr),
      reader_(std::make_shared<MprisNowPlayingReader>(main, Logger(log, "media"))),
      queue_(std::make_shared<ThreadQueue>("zel.mac-media", log)) {
  MacMediaWatcherServices services;
  services.queue = queue_;
  services.main = std::move(main);
  services.adapter = adapter_;
  services.reader = reader_;
  // The cover is re-encoded on the watcher's thread and handed to the hub with the track.
  if (artwork_) services.prepareArtwork = [artwork = artwork_](const Bytes& cover) { return artwork->make(cover); };
  watcher_ = std::make_shared<MacMediaWatcher>(std::move(services));
  Logger(log, "media").info(adapter_->isAvailable() ? "this computer's player is read through the outside adapter"
                                                    : "this computer's player is read through MPRIS");
}

MacMediaServices::~MacMediaServices() = default;

std::function<bool()> MacMediaServices::canControlPlayers() const {
  return [keys = mediaKeys_] { return keys->isTrusted(); };
}

}  // namespace orvane
