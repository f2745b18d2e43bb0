#include "app/mac_track_source.hpp"

#include <array>
#include <utility>

#include "base/text.hpp"
#include "features/media/media_gate.hpp"
#include "features/notifications/url_gate.hpp"

namespace orvane::MacTrackSource {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 9> knownApps{{
    {"com.brave.Browser", "Brave"},
    {"com.operasoftware.Opera", "Opera"},
    {"com.google.Chrome", "Chrome"},
    {"com.apple.Safari", "Safari"},
    {"com.apple.Music", "Music"},
    {"com.spotify.client", "Spotify"},
    {"com.microsoft.edgemac", "Edge"},
    {"com.vivaldi.Vivaldi", "Vivaldi"},
    {"org.mozilla.firefox", "Firefox"},
}};

constexpr std::size_t maxAppCharacters = 64;
constexpr std::string_view unknownApp = "Mac";

std::string derivedName(std::string_view bundleID) {
  for (const auto& [id, name] : knownApps)
    if (id == bundleID) return std::string(name);
  const std::size_t dot = bundleID.rfind('.');
  std::string name(dot == std::string_view::npos ? bundleID : bundleID.substr(dot + 1));
  // Bundle identifiers are reverse domain names, ASCII by rule.
  if (!name.empty() && name[0] >= 'a' && name[0] <= 'z') name[0] = static_cast<char>(name[0] - 'a' + 'A');
  return name;
}

}  // namespace

std::string friendlyName(std::string_view bundleID) {
  std::string name = text::trim(derivedName(bundleID));
  if (name.empty() || text::longerThan(name, maxAppCharacters)) return std::string(unknownApp);
  return name;
}

MacMediaObserver::Track fromAdapter(const MediaRemoteAdapter::NowPlaying& playing) {
  return MacMediaObserver::Track{friendlyName(playing.bundleID),
                                 MediaGate::cleanField(playing.title),
                                 MediaGate::cleanField(playing.artist),
                                 MediaGate::cleanField(playing.album),
                                 playing.playing,
                                 playing.artwork};
}

std::optional<MacMediaObserver::Track> fromReader(const MacMediaReader::Response& response) {
  auto title = MediaGate::cleanField(response.title);
  auto artist = MediaGate::cleanField(response.trackArtistName);
  auto album = MediaGate::cleanField(response.albumName);
  if (!title && !artist && !album) return std::nullopt;
  return MacMediaObserver::Track{UrlGate::cleanApp(response.app).value_or(std::string(unknownApp)),
                                 std::move(title),
                                 std::move(artist),
                                 std::move(album),
                                 response.playing.value_or(false),
                                 response.artwork};
}

}  // namespace orvane::MacTrackSource
