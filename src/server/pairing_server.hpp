#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.hpp"
#include "base/log.hpp"
#include "base/serial_queue.hpp"
#include "base/user_defaults.hpp"
#include "features/clipboard/clip_dedupe.hpp"
#include "features/status/mac_health_source.hpp"
#include "features/media/media_key_poster.hpp"
#include "pairing/host_info.hpp"
#include "pairing/local_ips.hpp"
#include "pairing/invitation.hpp"
#include "pairing/mac_identity.hpp"
#include "pairing/paired_device.hpp"
#include "pairing/pairing_store.hpp"
#include "pairing/pending.hpp"
#include "pairing/tls_identity_manager.hpp"
#include "wire/envelope.hpp"
#include "server/pairing_server_delegate.hpp"
#include "session/peer.hpp"
#include "wire/transport.hpp"

namespace orvane {

class PairingServer;

// One row of the inbound message catalogue: the type, whether the connection must be
// authenticated first, and the handler. Each feature contributes its own rows.
struct InboundRoute {
  std::string_view type;
  bool needsAuth;
  void (PairingServer::*handle)(const Envelope& envelope, Peer& peer, PeerID peerID);
};

// Small and large artwork renditions, already encoded by the caller.
struct ArtworkRenditions {
  std::optional<Bytes> small;
  std::optional<Bytes> large;
};

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

// The computer's end of the link: the TLS listener on port 17431, the peers, the one
// authenticated session, pairing, liveness and the server half of every feature.
// Public operations only schedule work on `queue` and return at once; every field is
// touched only on that queue, so nothing here needs a lock.
class PairingServer : public std::enable_shared_from_this<PairingServer> {
 public:
  static constexpr std::uint16_t port = 17431;
  static constexpr std::size_t maxReceive = 65536;
  static constexpr auto tickPeriod = std::chrono::seconds(5);
  static constexpr auto silenceLimit = std::chrono::seconds(60);
  static constexpr auto keepAliveAfter = std::chrono::seconds(20);
  static constexpr auto ackTimeout = std::chrono::milliseconds(8000);
  static constexpr auto macHealthInterval = std::chrono::seconds(20);
  static constexpr auto nudgeTimeout = std::chrono::seconds(3);
  static constexpr std::string_view lastPhoneAddressKey = "orvane.phone.lastAddress";
  static constexpr std::string_view lastLocalAddressKey = "orvane.link.lastLocalAddress";

  static std::shared_ptr<PairingServer> create(PairingServerServices services);
  ~PairingServer();

  void setDelegate(std::weak_ptr<PairingServerDelegate> delegate);

  // Lifecycle. There is no stop of its own: a restart stops and starts again.
  void start();
  void restart();
  void disconnectSession();

  // Pairing.
  void regenerateInvitation();
  void approvePending();
  void denyPending();
  void forgetPaired();
  void requestPhoneReconnect();

  // Messages to the phone; each goes only to the authenticated session.
  void sendTestMessage(std::string text, std::optional<std::string> pendingID = std::nullopt);
  void sendTestUrl(std::string url, std::optional<std::string> pendingID = std::nullopt);
  void sendNotifDismiss(std::string id);
  void sendNotifReply(std::string id, std::string text);
  void sendMediaCommand(std::string cmd);
  void requestMedia();
  void sendMacMedia(std::optional<std::string> app, std::optional<std::string> title, std::optional<std::string> artist,
                    std::optional<std::string> album, bool playing, std::optional<ArtworkRenditions> artwork);
  void sendMacMediaUnavailable();

  // Clipboard.
  void sendClipboardText(std::string text, std::string clipID, std::string origin);
  void noteLocalClipboardApplied(std::string text);
  void setClipboardEnabled(bool on);

  // Read-only views for tests and diagnostics; call them on `queue` only.
  struct AckEntry;
  std::optional<PeerID> authedPeerIDForTesting() const { return authedPeerID_; }
  std::int64_t socketGenForTesting() const { return socketGen_; }
  std::size_t peerCountForTesting() const { return peers_.size(); }
  bool hasPeerForTesting(PeerID id) const { return peers_.contains(id); }
  std::size_t pendingAckCountForTesting() const { return pendingAcks_.size(); }
  const std::optional<Invitation>& invitationForTesting() const { return invitation_; }
  const std::optional<Pending>& pendingForTesting() const { return pending_; }
  const std::optional<PairedDevice>& pairedForTesting() const { return paired_; }
  const ClipDedupe& clipDedupeForTesting() const { return clipDedupe_; }
  bool runningForTesting() const { return running_; }
  const std::optional<std::string>& lastPhoneAddressForTesting() const { return lastPhoneAddress_; }
  const std::optional<std::string>& lastLocalAddressForTesting() const { return lastLocalAddress_; }
  std::size_t nudgeCountForTesting() const { return nudges_.size(); }

  // Handlers of the inbound rows (called by `dispatch` only).
  void handlePing(const Envelope&, Peer&, PeerID);
  void handlePong(const Envelope&, Peer&, PeerID);
  void handleDisconnect(const Envelope&, Peer&, PeerID);
  void handleAck(const Envelope&, Peer&, PeerID);
  void handlePairRequest(const Envelope&, Peer&, PeerID);
  void handleAuthenticate(const Envelope&, Peer&, PeerID);
  void handleForgetDevice(const Envelope&, Peer&, PeerID);
  void handleMessage(const Envelope&, Peer&, PeerID);
  void handleUrlShare(const Envelope&, Peer&, PeerID);
  void handleNotifPost(const Envelope&, Peer&, PeerID);
  void handleNotifReplyResult(const Envelope&, Peer&, PeerID);
  void handleNotifGone(const Envelope&, Peer&, PeerID);
  void handleMediaPost(const Envelope&, Peer&, PeerID);
  void handleMediaGone(const Envelope&, Peer&, PeerID);
  void handleMacCmd(const Envelope&, Peer&, PeerID);
  void handleClipboardUpdate(const Envelope&, Peer&, PeerID);
  void handlePhoneStatus(const Envelope&, Peer&, PeerID);

  // Rows of the inbound catalogue, by feature.
  static std::vector<InboundRoute> sessionRoutes();
  static std::vector<InboundRoute> pairingRoutes();
  static std::vector<InboundRoute> notificationRoutes();
  static std::vector<InboundRoute> mediaRoutes();
  static std::vector<InboundRoute> clipboardRoutes();
  static std::vector<InboundRoute> statusRoutes();

  // The router: one valid envelope from one connection, in arrival order.
  void dispatch(const Envelope& envelope, Peer& peer, PeerID peerID);

  // The DNS-SD advertisement for the paired phone; none when unpaired.
  std::optional<DiscoveryService> discoveryService();

  enum class TrackedKind { message, url };
  struct AckEntry {
    std::int64_t gen;
    DelayedWork item;
    TrackedKind kind;
  };

 private:
  explicit PairingServer(PairingServerServices services);

  // Runs `work` on the queue if the server still exists then.
  template <class F>
  void onQueue(F work) {
    services_.queue->post([weak = weak_from_this(), work = std::move(work)]() mutable {
      if (auto self = weak.lock()) work(*self);
    });
  }
  template <class F>
  void withDelegate(F call) {
    if (auto d = delegate_.lock()) call(*d);
  }

  WallTime wallNow() const { return services_.clock->wallNow(); }
  SteadyTime now() const { return services_.clock->now(); }

  // Lifecycle and connections.
  void startOnQueue();
  void stopOnQueue();
  void accept(std::shared_ptr<Connection> conn);
  void onConnectionState(PeerID peerID, const std::shared_ptr<Connection>& conn, ConnectionState state);
  void receiveNext(PeerID peerID);
  void onReceived(PeerID peerID, Bytes data, bool isComplete, std::optional<std::string> error);
  void send(Peer& peer, std::string type, Body body = {});
  void sendEnvelope(Peer& peer, const Envelope& envelope);
  void sendAndClose(Peer& peer, std::string type, Body body = {});
  Peer* sessionPeer();
  void sendToSession(std::string type, Body body = {});
  void setState(const LinkState& state);
  void closePeer(Peer& peer);
  void removePeer(PeerID peerID);
  void dropConn(PeerID peerID);
  void endSession(const std::string& detail);
  void refuse(Peer& peer, std::string_view code);

  // Liveness and acknowledged sends.
  void startTick();
  void scheduleTick(SteadyTime due);
  void onTick();
  void sendTracked(TrackedKind kind, std::string type, Body body, std::optional<std::string> pendingID);
  void onAckTimeout(const std::string& id, std::int64_t gen, TrackedKind kind);
  void acknowledge(const std::string& id);
  void settleFlight();
  void publishMacHealth(Peer& peer, bool force);

  // Invitations and pairing.
  void renewInvitation();
  void publishInvitation();
  void loadPaired();
  void clearPending();
  void approveOnQueue();
  void denyOnQueue();
  void forgetOnQueue();
  void forgetRecord();
  void announceForgotten();
  void updateDiscoveryService();
  std::string macName();

  // Reconnect nudge and addresses.
  void requestPhoneReconnectOnQueue();
  void attemptNudge(std::string host, std::string line, std::optional<std::string> bindLocal, bool canRetry);
  void finishNudge(PeerID nudgeID, bool ok, std::string host, std::string line, std::optional<std::string> bindLocal,
                   bool canRetry);
  void recordAddresses(Peer& peer);

  PairingServerServices services_;
  Logger log_;

  std::weak_ptr<PairingServerDelegate> delegate_;
  std::unique_ptr<Listener> listener_;
  std::optional<MacIdentity> identity_;
  std::optional<Invitation> invitation_;
  std::map<PeerID, std::shared_ptr<Peer>> peers_;
  std::optional<Pending> pending_;
  std::optional<PairedDevice> paired_;
  std::optional<std::string> lastPhoneAddress_;
  std::optional<std::string> lastLocalAddress_;
  struct Nudge {
    std::shared_ptr<Connection> conn;
    std::shared_ptr<bool> finished;
    DelayedWork timeout;
  };
  std::map<PeerID, Nudge> nudges_;
  std::optional<PeerID> authedPeerID_;
  std::int64_t socketGen_ = 0;
  std::map<std::string, AckEntry> pendingAcks_;
  DelayedWork tick_;
  SteadyTime nextTickDue_{};
  bool running_ = false;
  std::optional<SteadyTime> lastMacHealthSent_;  // none: never sent (the distant past)
  bool clipEnabled_ = false;
  ClipDedupe clipDedupe_;
};

}  // namespace orvane
