#pragma once

#include <chrono>
#include <optional>
#include <string>

#include <ostream>

#include "app/mac_media_observer.hpp"
#include "base/bytes.hpp"
#include "base/expected.hpp"
#include "features/now_playing/mac_media_reader.hpp"

namespace orvane {

// Readable failures: what a read or a report held, the artwork by its size.
void PrintTo(const MacMediaReader::Response& response, std::ostream* out);
void PrintTo(const MacMediaObserver::Track& track, std::ostream* out);

}  // namespace orvane

namespace orvane::testing {

// The players of the session that tests/desktop/mpris_env.sh runs these tests in; each
// call returns once the player owns its name (mpv: plays its tagged tone) or has left.
expected<void, std::string> startPlayer();
expected<void, std::string> stopPlayer();
// A player that owns its name and never answers.
expected<void, std::string> startHungPlayer();
expected<void, std::string> stopHungPlayer();
// A player whose Metadata is a{ss} and which has a property of a type no player uses.
expected<void, std::string> startOddPlayer();
expected<void, std::string> stopOddPlayer();

// What playerctl says of mpv: "Playing", "Paused", …; none when it fails.
std::optional<std::string> playerStatus();
// Makes mpv pause or play, as the user would with playerctl.
expected<void, std::string> playerctl(const std::string& command);
// The cover image beside the tone.
Bytes coverBytes();

// Generous: only a failing case waits this long.
inline constexpr std::chrono::milliseconds kPatience{10000};

}  // namespace orvane::testing
