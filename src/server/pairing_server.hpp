#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/clock.hpp"
#include "base/expected.hpp"
#include "base/log.hpp"
#include "base/serial_queue.hpp"
#include "base/user_defaults.hpp"
#include "features/clipboard/clipboard_feature.hpp"
#include "features/media/media_feature.hpp"
#include "features/notifications/notifications_feature.hpp"
#include "features/status/status_feature.hpp"
#include "pairing/host_info.hpp"
#include "pairing/mac_identity.hpp"
#include "pairing/pairing_store.hpp"
#include "pairing/tls_identity_manager.hpp"
#include "server/pairing_flow.hpp"
#include "server/pairing_server_control.hpp"
#include "server/pairing_server_delegate.hpp"
#include "server/reconnect_nudge.hpp"
#include "session/link_core.hpp"
#include "wire/transport.hpp"

namespace orvane {

// Everything the server uses from outside: its queue, time, the network, storage and
// the platform's facts. `main()` wires the real adapters; tests wire fakes.
struct PairingServerServices {
  std::shared_ptr<SerialQueue> queue;  // "zel.pairing-server"
  const Clock* clock = &SystemClock::shared();
  std::shared_ptr<Transport> transport;
  std::shared_ptr<UserDefaults> defaults;
  std::shared_ptr<TLSIdentityManager> identities;
  std::shared_ptr<PairingStore> pairingStore;
  std::shared_ptr<HostInfo> host;
  std::shared_ptr<MediaKeyOutput> mediaKeys;    // none: no player can be reached
  std::shared_ptr<MacHealthSource> macHealth;   // none: no health reports are sent
  std::shared_ptr<LogSink> log;
};

// The computer's end of the link. It composes the link core (connections, routing,
// the session, liveness), pairing and the features, owns the TLS listener on port
// 17431, and keeps every operation the rest of the program calls. Each operation only
// schedules its work on `queue` and returns at once; the work holds the server weakly.
class PairingServer final : public PairingServerControl, public std::enable_shared_from_this<PairingServer> {
 public:
  static constexpr std::uint16_t port = 17431;

  // Fails when two parts of the server claim the same message type.
  static expected<std::shared_ptr<PairingServer>, std::string> create(PairingServerServices services);
  ~PairingServer() override;
  PairingServer(const PairingServer&) = delete;
  PairingServer& operator=(const PairingServer&) = delete;

  void setDelegate(std::weak_ptr<PairingServerDelegate> delegate) override;

  // Lifecycle. There is no stop of its own: a restart stops and starts again.
  void start() override;
  void restart() override;
  void disconnectSession() override;
  // Closes every connection and the listener, then calls `done` on the server's queue.
  // Nothing waits for it: the caller moves on when `done` runs.
  void shutdown(std::function<void()> done) override;

  // Pairing.
  void regenerateInvitation() override;
  void approvePending() override;
  void denyPending() override;
  void forgetPaired() override;
  void requestPhoneReconnect() override;

  // Messages to the phone; each goes only to the authenticated session.
  void sendTestMessage(std::string text, std::optional<std::string> pendingID = std::nullopt) override;
  void sendTestUrl(std::string url, std::optional<std::string> pendingID = std::nullopt) override;
  void sendNotifDismiss(std::string id) override;
  void sendNotifReply(std::string id, std::string text) override;
  void sendMediaCommand(std::string cmd) override;
  void requestMedia() override;
  void sendMacMedia(std::optional<std::string> app, std::optional<std::string> title, std::optional<std::string> artist,
                    std::optional<std::string> album, bool playing, std::optional<ArtworkRenditions> artwork) override;
  void sendMacMediaUnavailable() override;

  // Clipboard.
  void sendClipboardText(std::string text, std::string clipID, std::string origin) override;
  void noteLocalClipboardApplied(std::string text) override;
  void setClipboardEnabled(bool on) override;

  // What the server holds, for diagnostics and tests; read on `queue` only.
  struct Diagnostics {
    bool running = false;
    std::optional<PeerID> authedPeerID;
    std::int64_t socketGen = 0;
    std::size_t peerCount = 0;
    std::size_t waitingAckCount = 0;
    std::optional<Invitation> invitation;
    std::optional<Pending> pending;
    std::optional<PairedDevice> paired;
    std::optional<std::string> lastPhoneAddress;
    std::optional<std::string> lastLocalAddress;
    std::size_t nudgesInFlight = 0;
    ClipDedupe clipDedupe;
  };
  Diagnostics diagnostics() const;
  bool hasPeer(PeerID id) const;
  // The DNS-SD advertisement for the paired phone; none when unpaired. On `queue`.
  std::optional<DiscoveryService> discoveryService() const;

 private:
  explicit PairingServer(PairingServerServices services);
  expected<void, std::string> registerModules();

  // Runs `work` on the queue if the server still exists then.
  template <class F>
  void onQueue(F work) {
    services_.queue->post([weak = weak_from_this(), work = std::move(work)]() mutable {
      if (auto self = weak.lock()) work(*self);
    });
  }

  void startOnQueue();
  void stopOnQueue();
  void updateAdvertisement();

  PairingServerServices services_;
  Logger log_;
  std::shared_ptr<LinkCore> link_;
  ReconnectNudge nudge_;
  PairingFlow pairing_;
  ClipboardFeature clipboard_;
  MediaFeature media_;
  NotificationsFeature notifications_;
  StatusFeature status_;
  std::unique_ptr<Listener> listener_;
  std::optional<MacIdentity> identity_;
};

}  // namespace orvane
