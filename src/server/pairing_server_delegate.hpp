#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/bytes.hpp"
#include "features/media/media_key_poster.hpp"
#include "features/status/phone_status.hpp"
#include "pairing/qr_image.hpp"
#include "session/link_state.hpp"

namespace orvane {

// Receiver of every event of the pairing server (the application hub). The server
// calls it on its own queue; every callback but `serverMacIsPlaying` must return at
// once and move its work to the main thread.
class PairingServerDelegate {
 public:
  virtual ~PairingServerDelegate() = default;

  virtual void serverStateChanged(const LinkState& state) = 0;
  virtual void serverInvitationChanged(const std::string& qrText, double expiresIn, const std::string& ip,
                                       std::uint16_t port, const std::vector<std::string>& allIPs,
                                       const std::optional<QRImage>& image) = 0;
  virtual void serverPendingRequest(const std::string& deviceName, const std::string& deviceID) = 0;
  virtual void serverPendingCleared() = 0;
  virtual void serverPairedDeviceChanged(const std::optional<std::string>& name, const std::optional<std::string>& id) = 0;
  virtual void serverHistoryCleared() = 0;
  virtual void serverMediaChanged(const std::optional<std::string>& app, const std::optional<std::string>& title,
                                  const std::optional<std::string>& artist, const std::optional<std::string>& album,
                                  bool playing, const std::optional<Bytes>& artwork) = 0;
  virtual void serverPhoneStatusChanged(const PhoneStatus& status) = 0;
  virtual void serverPhoneAddressChanged(const std::optional<std::string>& address) = 0;
  virtual void serverNotifPosted(const std::string& id, const std::string& app, const std::optional<std::string>& title,
                                 const std::optional<std::string>& text, std::int64_t time, bool replyable) = 0;
  virtual void serverNotifGone(const std::string& id) = 0;
  virtual void serverNotifReplyResult(const std::string& id, bool ok, const std::optional<std::string>& reason) = 0;
  virtual void serverClipboardReceived(const std::string& text, const std::string& clipID, const std::string& origin) = 0;
  virtual void serverMessageReceived(const std::string& text) = 0;
  virtual void serverUrlReceived(const std::string& url, const std::optional<std::string>& context,
                                 const std::optional<std::string>& app) = 0;
  // Delivery state of a tracked `message`. The first report of each send has the id
  // "sent:" + envelope id and carries the caller's pending line id, so that each
  // line is bound to its own envelope even with several sends in flight.
  virtual void serverMessageStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) = 0;
  virtual void serverUrlStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) = 0;
  virtual void serverMediaCommandResult(MediaKeyPoster::Dispatch dispatch) = 0;
  // Whether this computer is playing; may block the server queue for at most 0.5 s.
  virtual std::optional<bool> serverMacIsPlaying() = 0;
};

}  // namespace orvane
