#include "platform/qt/mpris_player_choice.hpp"

#include <string_view>

namespace orvane {

namespace {
constexpr std::string_view prefix = "org.mpris.MediaPlayer2.";
}

std::optional<std::size_t> activeMprisPlayer(const std::vector<MprisPlayerState>& players) {
  for (const char* wanted : {"Playing", "Paused"}) {
    for (std::size_t i = 0; i < players.size(); ++i) {
      if (players[i].playbackStatus == wanted) return i;
    }
  }
  return std::nullopt;
}

bool isMprisPlayerName(const std::string& busName) {
  return busName.size() > prefix.size() && busName.starts_with(prefix);
}

}  // namespace orvane
