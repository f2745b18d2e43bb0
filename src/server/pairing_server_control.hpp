#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "features/media/mac_now_playing.hpp"
#include "server/pairing_server_delegate.hpp"

namespace orvane {

// The operations of the pairing server that the rest of the program calls. Each one
// schedules its work on the server's queue and returns at once. `PairingServer` is the
// one implementation; the hub's tests use a recording one.
class PairingServerControl {
 public:
  virtual ~PairingServerControl() = default;

  // The server holds its delegate weakly: it never keeps the hub alive.
  virtual void setDelegate(std::weak_ptr<PairingServerDelegate> delegate) = 0;

  // Lifecycle. There is no stop of its own: a restart stops and starts again.
  virtual void start() = 0;
  virtual void restart() = 0;
  virtual void disconnectSession() = 0;
  // Closes every connection and the listener, then calls `done` on the server's queue.
  virtual void shutdown(std::function<void()> done) = 0;

  // Pairing.
  virtual void regenerateInvitation() = 0;
  virtual void approvePending() = 0;
  virtual void denyPending() = 0;
  virtual void forgetPaired() = 0;
  virtual void requestPhoneReconnect() = 0;

  // Messages to the phone; each goes only to the authenticated session.
  virtual void sendTestMessage(std::string text, std::optional<std::string> pendingID = std::nullopt) = 0;
  virtual void sendTestUrl(std::string url, std::optional<std::string> pendingID = std::nullopt) = 0;
  virtual void sendNotifDismiss(std::string id) = 0;
  virtual void sendNotifReply(std::string id, std::string text) = 0;
  virtual void sendMediaCommand(std::string cmd) = 0;
  virtual void requestMedia() = 0;
  virtual void sendMacMedia(std::optional<std::string> app, std::optional<std::string> title,
                            std::optional<std::string> artist, std::optional<std::string> album, bool playing,
                            std::optional<ArtworkRenditions> artwork) = 0;
  virtual void sendMacMediaUnavailable() = 0;

  // Clipboard.
  virtual void sendClipboardText(std::string text, std::string clipID, std::string origin) = 0;
  virtual void noteLocalClipboardApplied(std::string text) = 0;
  virtual void setClipboardEnabled(bool on) = 0;
};

}  // namespace orvane
