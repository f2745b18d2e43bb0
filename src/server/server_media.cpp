// Now playing in both directions: the phone's player state and commands for the
// computer's player, and the computer's state and commands for the phone's player.
#include "base/codec.hpp"
#include "base/text.hpp"
#include "features/media/media_gate.hpp"
#include "server/pairing_server.hpp"
#include "features/notifications/url_gate.hpp"

namespace orvane {

namespace {
constexpr std::size_t maxArtworkCharacters = 2000000;
constexpr std::size_t maxLargeArtworkBytes = 40000;
}  // namespace

std::vector<InboundRoute> PairingServer::mediaRoutes() {
  return {
      {"media_post", true, &PairingServer::handleMediaPost},
      {"media_gone", true, &PairingServer::handleMediaGone},
      {"maccmd", true, &PairingServer::handleMacCmd},
  };
}

void PairingServer::handleMediaPost(const Envelope& envelope, Peer&, PeerID) {
  auto app = UrlGate::cleanApp(envelope.text("app"));
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
  withDelegate([&](PairingServerDelegate& d) { d.serverMediaChanged(app, title, artist, album, playing, artwork); });
}

void PairingServer::handleMediaGone(const Envelope&, Peer&, PeerID) {
  withDelegate([&](PairingServerDelegate& d) {
    d.serverMediaChanged(std::nullopt, std::nullopt, std::nullopt, std::nullopt, false, std::nullopt);
  });
}

void PairingServer::handleMacCmd(const Envelope& envelope, Peer&, PeerID) {
  auto cmd = envelope.get("cmd");
  // Exact words only: the phone's command is not trimmed.
  if (!cmd || !MediaKeyPoster::isSupportedCommand(*cmd)) return;
  std::optional<bool> playing;
  auto delegate = delegate_.lock();
  if (delegate) playing = delegate->serverMacIsPlaying();
  const MediaKeyPoster::Dispatch result = MediaKeyPoster::post(*cmd, playing, *services_.mediaKeys);
  if (delegate) delegate->serverMediaCommandResult(result);
}

void PairingServer::sendMediaCommand(std::string cmd) {
  if (!MediaGate::cleanCmd(cmd)) return;
  onQueue([cmd = std::move(cmd)](PairingServer& s) mutable { s.sendToSession("media_cmd", {{"cmd", std::move(cmd)}}); });
}

void PairingServer::requestMedia() {
  onQueue([](PairingServer& s) { s.sendToSession("media_req"); });
}

void PairingServer::sendMacMediaUnavailable() {
  onQueue([](PairingServer& s) { s.sendToSession("media_unavailable"); });
}

void PairingServer::sendMacMedia(std::optional<std::string> app, std::optional<std::string> title,
                                 std::optional<std::string> artist, std::optional<std::string> album, bool playing,
                                 std::optional<ArtworkRenditions> artwork) {
  onQueue([=](PairingServer& s) {
    if (!s.sessionPeer()) return;
    auto cleanApp = UrlGate::cleanApp(app);
    auto cleanTitle = MediaGate::cleanField(title);
    auto cleanArtist = MediaGate::cleanField(artist);
    auto cleanAlbum = MediaGate::cleanField(album);
    if (!cleanApp || (!cleanTitle && !cleanArtist && !cleanAlbum)) {
      s.sendToSession("media_gone");
      return;
    }
    Body body{{"app", *cleanApp}, {"state", playing ? "playing" : "paused"}};
    if (cleanTitle) body["title"] = *cleanTitle;
    if (cleanArtist) body["artist"] = *cleanArtist;
    if (cleanAlbum) body["album"] = *cleanAlbum;
    if (artwork) {
      const auto& small = artwork->small;
      const auto& large = artwork->large;
      if (small) {
        body["art"] = codec::base64Encode(*small);
      } else if (large) {
        body["art"] = codec::base64Encode(*large);
      }
      if (small && large && *small != *large && large->size() <= maxLargeArtworkBytes) {
        body["art_lg"] = codec::base64Encode(*large);
      }
    }
    s.sendToSession("media_post", std::move(body));
  });
}

}  // namespace orvane
