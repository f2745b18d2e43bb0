#pragma once

#include <functional>
#include <memory>

#include "base/serial_queue.hpp"
#include "cli/event_printer.hpp"
#include "server/pairing_server_delegate.hpp"

namespace orvane::cli {

// The server's delegate in the headless front end: every callback becomes one event,
// printed on the main queue in the order the server issued it.
class HeadlessDelegate final : public PairingServerDelegate, public std::enable_shared_from_this<HeadlessDelegate> {
 public:
  using QRSink = std::function<void(const QRImage&)>;
  HeadlessDelegate(std::shared_ptr<SerialQueue> mainQueue, std::shared_ptr<EventPrinter> printer, QRSink qrSink = {});

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
  // No now-playing observer runs headless, so whether this computer plays is unknown.
  std::optional<bool> serverMacIsPlaying() override { return std::nullopt; }

  // The event for a link state, as printed.
  static Event stateEvent(const LinkState& state);

 private:
  void publish(Event event, std::optional<QRImage> qr = std::nullopt);

  std::shared_ptr<SerialQueue> main_;
  std::shared_ptr<EventPrinter> printer_;
  QRSink qrSink_;
};

}  // namespace orvane::cli
