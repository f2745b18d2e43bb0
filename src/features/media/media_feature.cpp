#include "features/media/media_feature.hpp"

#include "base/codec.hpp"
#include "base/text.hpp"
#include "features/media/media_gate.hpp"

namespace orvane {

MediaFeature::MediaFeature(LinkCore& link, std::shared_ptr<MediaKeyOutput> mediaKeys)
    : link_(link), mediaKeys_(mediaKeys ? std::move(mediaKeys) : std::make_shared<NoMediaKeyOutput>()) {}

expected<void, std::string> MediaFeature::registerRoutes(RouteRegistry& routes) {
  if (auto r = routes.add("media_post", true, [this](const Envelope& e, Peer&, PeerID) { onMediaPost(e); }); !r) return r;
  if (auto r = routes.add("media_gone", true,
                          [this](const Envelope&, Peer&, PeerID) {
                            observer_.notify([](MediaObserver& o) {
                              o.serverMediaChanged(std::nullopt, std::nullopt, std::nullopt, std::nullopt, false,
                                                   std::nullopt);
                            });
                          });
      !r)
    return r;
  return routes.add("maccmd", true, [this](const Envelope& e, Peer&, PeerID) { onMacCommand(e); });
}

void MediaFeature::onMediaPost(const Envelope& envelope) {
  auto app = MediaGate::cleanApp(envelope.text("app"));
  if (!app) return;
  auto title = MediaGate::cleanField(envelope.text("title"));
  auto artist = MediaGate::cleanField(envelope.text("artist"));
  auto album = MediaGate::cleanField(envelope.text("album"));
  if (!title && !artist && !album) return;
  auto state = MediaGate::cleanState(envelope.text("state"));
  if (!state) return;
  std::optional<Bytes> artwork;
  if (auto art = envelope.get("art"); art && !text::longerThan(*art, maxArtworkCharacters)) {
    artwork = codec::base64Decode(*art);
  }
  const bool playing = *state == MediaGate::State::playing;
  observer_.notify([&](MediaObserver& o) { o.serverMediaChanged(app, title, artist, album, playing, artwork); });
}

void MediaFeature::onMacCommand(const Envelope& envelope) {
  auto cmd = envelope.get("cmd");
  // Exact words only: the phone's command is not trimmed.
  if (!cmd || !MediaKeyPoster::isSupportedCommand(*cmd)) return;
  auto observer = observer_.lock();
  std::optional<bool> playing;
  if (observer) playing = observer->serverMacIsPlaying();
  const MediaKeyPoster::Dispatch result = MediaKeyPoster::post(*cmd, playing, *mediaKeys_);
  if (observer) observer->serverMediaCommandResult(result);
}

void MediaFeature::sendMediaCommand(const std::string& cmd) {
  if (!MediaGate::cleanCmd(cmd)) return;
  link_.sendToSession("media_cmd", {{"cmd", cmd}});
}

void MediaFeature::requestMedia() { link_.sendToSession("media_req"); }

void MediaFeature::sendMacMediaUnavailable() { link_.sendToSession("media_unavailable"); }

std::optional<Body> MediaFeature::macMediaBody(const MacNowPlaying& media) {
  auto app = MediaGate::cleanApp(media.app);
  auto title = MediaGate::cleanField(media.title);
  auto artist = MediaGate::cleanField(media.artist);
  auto album = MediaGate::cleanField(media.album);
  if (!app || (!title && !artist && !album)) return std::nullopt;
  Body body{{"app", *app}, {"state", media.playing ? "playing" : "paused"}};
  if (title) body["title"] = *title;
  if (artist) body["artist"] = *artist;
  if (album) body["album"] = *album;
  if (media.artwork) {
    const auto& small = media.artwork->small;
    const auto& large = media.artwork->large;
    // "art" is the small rendition, or the large one when there is no small one;
    // "art_lg" only adds a large rendition that differs and stays small enough.
    if (small) {
      body["art"] = codec::base64Encode(*small);
    } else if (large) {
      body["art"] = codec::base64Encode(*large);
    }
    if (small && large && *small != *large && large->size() <= maxLargeArtworkBytes) {
      body["art_lg"] = codec::base64Encode(*large);
    }
  }
  return body;
}

void MediaFeature::sendMacMedia(const MacNowPlaying& media) {
  if (!link_.sessionPeer()) return;
  if (auto body = macMediaBody(media)) {
    link_.sendToSession("media_post", std::move(*body));
  } else {
    link_.sendToSession("media_gone");
  }
}

}  // namespace orvane
