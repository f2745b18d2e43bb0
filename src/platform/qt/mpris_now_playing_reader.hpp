#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

#include "base/log.hpp"
#include "base/serial_queue.hpp"
#include "features/now_playing/mac_media_reader.hpp"

namespace orvane {

// What the desktop plays, read from the MPRIS players on the session bus: the player
// that plays (else the one that is paused; see activeMprisPlayer), its track's title,
// artists, album and cover (a local file named by mpris:artUrl), its state and its
// Identity as the application's name.
//
// A read asks the bus for its players, then each player for its state, then the chosen
// one for its name, all without waiting on the main thread. A player that does not
// answer within a second counts as stopped, so that one hung player does not hide the
// others; and the read gives up when the answers are still not all in after 25 checks
// 0.1 s apart. When they are in and no player plays or is paused, the answer is none
// at once.
//
// Changes are heard rather than polled: a player's PropertiesChanged and players coming
// and going (NameOwnerChanged of org.mpris.MediaPlayer2.*); a burst of them is told once.
//
// Made on the main thread, with the QCoreApplication made; reads may be asked from any
// thread, reach the bus through `main` (the queue on Qt's event loop) and complete on
// the main thread. Without a session bus every read completes with none and changes are
// never heard. Nothing here throws.
class MprisNowPlayingReader final : public MacMediaReader {
 public:
  static constexpr std::size_t maxArtworkBytes = 10 * 1024 * 1024;
  static constexpr int checksBeforeGivingUp = 25;
  static constexpr int checkIntervalMs = 100;
  static constexpr int changeBurstMs = 30;

  // `callTimeout`: how long one player may take to answer one question.
  MprisNowPlayingReader(std::shared_ptr<SerialQueue> main, Logger log,
                        std::chrono::milliseconds callTimeout = std::chrono::seconds(1));
  ~MprisNowPlayingReader() override;
  MprisNowPlayingReader(const MprisNowPlayingReader&) = delete;
  MprisNowPlayingReader& operator=(const MprisNowPlayingReader&) = delete;

  void readNowPlaying(Completion completion) override;
  bool watchChanges(std::function<void()> changed) override;
  // Whether the session bus was reached; it is not looked for again.
  bool canAnswer() const override;
  // A local cover (file://), at most maxArtworkBytes; other schemes are not fetched.
  std::optional<Bytes> loadArtwork(const std::string& url) override;

 private:
  class Client;
  std::shared_ptr<SerialQueue> main_;
  std::shared_ptr<Client> client_;  // deleted on the main thread, wherever the last owner lets go
};

}  // namespace orvane
