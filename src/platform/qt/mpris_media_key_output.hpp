#pragma once

#include <chrono>
#include <memory>

#include <QDBusConnection>

#include "base/log.hpp"
#include "features/media/media_key_poster.hpp"
#include "features/now_playing/media_remote_adapter.hpp"

namespace orvane {

// Carries out the phone's playback commands on this desktop: through the outside
// adapter when there is one, else by calling the MPRIS method of the command (Play,
// Pause, PlayPause, Next, Previous) on the active player (see activeMprisPlayer), which
// must allow control. No permission is needed for that: the process counts as trusted
// whenever the session bus is there.
//
// Made on the main thread; the calls block the calling thread (the server's queue) for
// a bounded time and may be made from any thread, even while the main thread is busy.
class MprisMediaKeyOutput final : public MediaKeyOutput {
 public:
  static constexpr int listTimeoutMs = 1000;
  static constexpr int stateTimeoutMs = 500;
  static constexpr int commandTimeoutMs = 1000;

  // Without `adapter` (or with one that is unavailable) only MPRIS is used.
  MprisMediaKeyOutput(std::shared_ptr<MediaRemoteAdapter> adapter, Logger log);

  bool isTrusted() override;
  bool sendToAdapter(int commandNumber) override;
  bool postMediaKey(MediaGate::Command command, int keyCode) override;

 private:
  std::shared_ptr<MediaRemoteAdapter> adapter_;
  Logger log_;
  QDBusConnection bus_;
};

}  // namespace orvane
