#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/mac_media_observer.hpp"
#include "features/now_playing/mac_media_reader.hpp"
#include "features/now_playing/media_remote_adapter.hpp"

namespace orvane {

// Turns what the now-playing sources report into the track the hub shows and the
// phone receives. Pure functions.
namespace MacTrackSource {

// The name shown for an application known by its bundle identifier: the well-known
// browsers and players by name, any other by the last part of the identifier with its
// first letter upper-cased (the whole identifier when it has no dot); "Mac" when that
// is empty or longer than 64 characters.
std::string friendlyName(std::string_view bundleID);

// The adapter's object as a track: the application's friendly name, the text fields
// cleaned (each may so become absent), play state and artwork as reported.
MacMediaObserver::Track fromAdapter(const MediaRemoteAdapter::NowPlaying& playing);

// The reader's answer as a track; none when it has neither title, artist nor album.
// The application is the reader's, cleaned, or "Mac".
std::optional<MacMediaObserver::Track> fromReader(const MacMediaReader::Response& response);

}  // namespace MacTrackSource
}  // namespace orvane
