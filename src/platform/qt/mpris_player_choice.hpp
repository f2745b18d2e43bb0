#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvane {

// What the session bus says of one MPRIS player.
struct MprisPlayerState {
  std::string busName;         // org.mpris.MediaPlayer2.<name>
  std::string playbackStatus;  // "Playing", "Paused" or "Stopped"
  bool canControl = false;
};

// The player that counts as "the" player of the desktop: the first that plays, else the
// first that is paused; none when every player is stopped (or there is none). `players`
// is in the order in which the caller wants them tried (by bus name, so that the choice
// does not change from one look to the next).
std::optional<std::size_t> activeMprisPlayer(const std::vector<MprisPlayerState>& players);

// Whether a bus name is an MPRIS player's.
bool isMprisPlayerName(const std::string& busName);

}  // namespace orvane
