#pragma once

#include <memory>
#include <string>

#include "features/media/mac_now_playing.hpp"
#include "features/media/media_key_poster.hpp"
#include "features/media/media_observer.hpp"
#include "session/link_core.hpp"
#include "wire/envelope.hpp"

namespace orvane {

// Now playing both ways: the phone's player state and its commands for this
// computer's player in, this computer's state and commands for the phone's player out.
class MediaFeature final : public LinkModule {
 public:
  static constexpr std::size_t maxArtworkCharacters = 2000000;
  static constexpr std::size_t maxLargeArtworkBytes = 40000;

  // Without media keys, commands from the phone reach no player.
  MediaFeature(LinkCore& link, std::shared_ptr<MediaKeyOutput> mediaKeys);

  void setObserver(std::weak_ptr<MediaObserver> observer) { observer_.set(std::move(observer)); }
  expected<void, std::string> registerRoutes(RouteRegistry& routes) override;

  // The word must pass the media command gate, else nothing is sent.
  void sendMediaCommand(const std::string& cmd);
  void requestMedia();
  void sendMacMedia(const MacNowPlaying& media);
  void sendMacMediaUnavailable();

  // The `media_post` body for this computer's state; none when there is nothing to
  // show (no application, or neither title, artist nor album), which goes as `media_gone`.
  static std::optional<Body> macMediaBody(const MacNowPlaying& media);

 private:
  void onMediaPost(const Envelope& envelope);
  void onMacCommand(const Envelope& envelope);

  LinkCore& link_;
  std::shared_ptr<MediaKeyOutput> mediaKeys_;
  ObserverSlot<MediaObserver> observer_;
};

}  // namespace orvane
