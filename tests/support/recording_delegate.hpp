#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "server/pairing_server_delegate.hpp"

namespace orvane::testing {

// Records every delegate call as one readable line, e.g.
// "state disconnected Listening on port 17431" or "messageStatus sent:ID acked pending=P".
class RecordingDelegate final : public PairingServerDelegate {
 public:
  void serverStateChanged(const LinkState& state) override;
  void serverInvitationChanged(const std::string& qrText, double expiresIn, const std::string& ip, std::uint16_t port,
                               const std::vector<std::string>& allIPs, const std::optional<QRImage>& image) override;
  void serverPendingRequest(const std::string& deviceName, const std::string& deviceID) override;
  void serverPendingCleared() override;
  void serverPairedDeviceChanged(const std::optional<std::string>& name, const std::optional<std::string>& id) override;
  void serverHistoryCleared() override;
  void serverMediaChanged(const std::optional<std::string>& app, const std::optional<std::string>& title,
                          const std::optional<std::string>& artist, const std::optional<std::string>& album, bool playing,
                          const std::optional<Bytes>& artwork) override;
  void serverPhoneStatusChanged(const PhoneStatus& status) override;
  void serverPhoneAddressChanged(const std::optional<std::string>& address) override;
  void serverAuthRefused(const std::string& deviceID, const std::string& reason) override;
  void serverNotifPosted(const std::string& id, const std::string& app, const std::optional<std::string>& title,
                         const std::optional<std::string>& text, std::int64_t time, bool replyable) override;
  void serverNotifGone(const std::string& id) override;
  void serverNotifReplyResult(const std::string& id, bool ok, const std::optional<std::string>& reason) override;
  void serverClipboardReceived(const std::string& text, const std::string& clipID, const std::string& origin) override;
  void serverMessageReceived(const std::string& text) override;
  void serverUrlReceived(const std::string& url, const std::optional<std::string>& context,
                         const std::optional<std::string>& app) override;
  void serverMessageStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) override;
  void serverUrlStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) override;
  void serverMediaCommandResult(MediaKeyPoster::Dispatch dispatch) override;
  std::optional<bool> serverMacIsPlaying() override;

  std::vector<std::string> events() const;
  std::vector<std::string> eventsStartingWith(std::string_view prefix) const;
  bool has(std::string_view line) const;
  void clear();
  std::optional<LinkState> lastState() const;
  std::optional<std::string> lastQRText() const;
  std::optional<PhoneStatus> lastPhoneStatus() const;
  std::optional<QRImage> lastQRImage() const;

  std::optional<bool> macIsPlaying;  // the answer to serverMacIsPlaying
  int macIsPlayingCalls = 0;

 private:
  void add(std::string line);
  mutable std::mutex mutex_;
  std::vector<std::string> events_;
  std::optional<LinkState> lastState_;
  std::optional<std::string> lastQRText_;
  std::optional<QRImage> lastQRImage_;
  std::optional<PhoneStatus> lastPhoneStatus_;
};

}  // namespace orvane::testing
