#pragma once

#include <chrono>
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
#include "session/ack_tracker.hpp"
#include "session/link_module.hpp"
#include "session/link_observer.hpp"
#include "session/observer_slot.hpp"
#include "session/peer.hpp"
#include "session/route_registry.hpp"
#include "wire/envelope.hpp"
#include "wire/transport.hpp"

namespace orvane {

struct LinkCoreServices {
  std::shared_ptr<SerialQueue> queue;  // "zel.pairing-server"
  const Clock* clock = &SystemClock::shared();
  std::shared_ptr<LogSink> log;
};

// Why a connection leaves the link. When it was the authenticated session, the cause
// chooses the state reported for the session's end.
enum class RetireCause {
  lost,               // failed, cancelled, stream ended, impossible frame, closed after a final reply
  silent,             // nothing received for longer than the silence limit
  phoneDisconnected,  // the phone said `disconnect`
  superseded,         // another connection authenticated; the old session ends without settling
};

// The link core: the connections that reached the ready state, their receive loops,
// sending, the route registry, the one authenticated session with its generation,
// the housekeeping tick and the sends that wait for an `ack`. Everything here runs on
// the server's queue; nothing needs a lock.
class LinkCore : public std::enable_shared_from_this<LinkCore> {
 public:
  static constexpr std::size_t maxReceive = 65536;
  static constexpr auto tickPeriod = std::chrono::seconds(5);
  static constexpr auto silenceLimit = std::chrono::seconds(60);
  // A ping goes to the session when nothing was sent to it, or nothing came from it,
  // for longer than this.
  static constexpr auto keepAliveAfter = std::chrono::seconds(20);
  static constexpr auto ackTimeout = std::chrono::milliseconds(8000);
  // Bytes handed to one connection and not yet written: far above the largest burst
  // (artwork twice in base64 plus text), low enough that a peer that never reads
  // cannot make the server hold its replies without end.
  static constexpr std::size_t maxQueuedBytes = 1024 * 1024;
  // Connections that have not authenticated yet; each costs a read buffer, and any
  // byte within the silence limit keeps it. Beyond this the oldest one makes room.
  static constexpr std::size_t maxUnauthenticated = 32;

  static std::shared_ptr<LinkCore> create(LinkCoreServices services);
  ~LinkCore();
  LinkCore(const LinkCore&) = delete;
  LinkCore& operator=(const LinkCore&) = delete;

  // Wiring, before the first connection. A module's routes join the catalogue; its
  // hooks are called in the order the modules were added.
  expected<void, std::string> addModule(LinkModule& module);
  void setObserver(std::weak_ptr<LinkObserver> observer) { observer_.set(std::move(observer)); }
  // The object that owns the modules. Every callback of the link holds it while it
  // runs, so that no module goes away under a callback; once it is gone, callbacks do
  // nothing. Without an owner the link holds only itself.
  void setOwner(std::weak_ptr<void> owner) {
    owner_ = std::move(owner);
    hasOwner_ = true;
  }
  // For the modules' own callbacks: lock it, and do nothing when it is gone.
  std::weak_ptr<void> ownerToken() { return hasOwner_ ? owner_ : std::weak_ptr<void>(weak_from_this()); }

  // Lifecycle.
  bool isRunning() const { return running_; }
  // Marks the link running; false when it already was.
  bool begin();
  void startTick();
  // Closes every connection without any report, settles the waiting sends and forgets
  // the session.
  void stop();

  // Connections.
  // The router: one valid envelope from one connection, in arrival order. Checks the
  // type against the catalogue and authentication, then calls the row's handler.
  void dispatch(const Envelope& envelope, Peer& peer, PeerID peerID);
  void accept(std::shared_ptr<Connection> conn);
  // A connection in `peers` that is not closed; null otherwise.
  Peer* livePeer(PeerID id);
  Peer* sessionPeer();
  bool hasSession() const { return authedPeerID_.has_value(); }
  std::int64_t socketGen() const { return socketGen_; }

  // Sending. Each builds one frame and hands it to the connection; a frame that
  // cannot be built (over 64 KiB) is not sent.
  bool sendEnvelope(Peer& peer, const Envelope& envelope);
  void send(Peer& peer, std::string type, Body body = {});
  // Sends, then closes and retires the connection once the send has completed.
  void sendAndClose(Peer& peer, std::string type, Body body = {});
  // `error` {"reason": code}, then close.
  void refuse(Peer& peer, std::string_view code);
  // As `sendAndClose`, after `delay`, if the connection is still there then; its
  // frames are no longer routed meanwhile.
  void sendAndCloseAfter(Duration delay, PeerID peerID, std::string type, Body body);
  // To the authenticated session; dropped without a report when there is none.
  bool sendToSession(std::string type, Body body = {});
  // To the session, waiting for the phone's `ack`; gives the envelope id when sent.
  std::optional<std::string> sendTracked(std::string type, Body body, AckTracker::OnOutcome onOutcome);

  // The session.
  // Makes `peer` the authenticated session. With `closeOthers`, every other connection
  // is retired first (an older session without settling its waiting sends).
  void authenticate(Peer& peer, std::string deviceID, bool closeOthers);
  // The modules hear that `peer` has just authenticated.
  void announceSessionStarted(Peer& peer);
  void announceForgotten();
  // Settles the waiting sends, forgets the session and moves to the next generation.
  void dropSession();
  // `dropSession`, then the state `disconnected`(detail).
  void endSession(const std::string& detail);
  // The user ends the session: `disconnect` to the phone, then the session ends.
  void disconnectSession();
  // The one way a connection leaves the link: closed, removed, the session-end steps
  // when it was the session, then every module hears of it.
  void retire(PeerID peerID, RetireCause cause);

  // Connection state, as reported to the observer.
  void setState(const LinkState& state);
  const LinkState& state() const { return state_; }

  // Time, queue and log of the link, shared with the modules.
  SteadyTime now() const { return services_.clock->now(); }
  WallTime wallNow() const { return services_.clock->wallNow(); }
  const std::shared_ptr<SerialQueue>& queue() const { return services_.queue; }
  const Logger& log() const { return log_; }

  // Diagnostics, on the queue.
  std::size_t peerCount() const { return peers_.size(); }
  bool hasPeer(PeerID id) const { return peers_.contains(id); }
  std::optional<PeerID> authedPeerID() const { return authedPeerID_; }
  std::size_t waitingAckCount() const { return acks_->size(); }

 private:
  explicit LinkCore(LinkCoreServices services);
  // What a callback holds while it runs; none when the owner is gone.
  std::shared_ptr<void> hold() { return ownerToken().lock(); }
  // A callback that runs `work(link, arguments…)` only while the link and its owner
  // exist, holding both while it runs.
  template <class F>
  auto whileAlive(F work) {
    return [weak = weak_from_this(), work = std::move(work)](auto&&... arguments) mutable {
      auto self = weak.lock();
      auto held = self ? self->hold() : nullptr;
      if (held) work(*self, std::forward<decltype(arguments)>(arguments)...);
    };
  }
  expected<void, std::string> registerSessionRoutes();

  void onConnectionState(PeerID peerID, const std::shared_ptr<Connection>& conn, ConnectionState state);
  void receiveNext(PeerID peerID);
  void onReceived(PeerID peerID, Bytes data, bool isComplete, std::optional<std::string> error);
  void closePeer(Peer& peer);
  // Hands one frame to the connection, counting it until it is written; a connection
  // whose unwritten bytes pass the bound is closed as failed.
  void handOver(Peer& peer, Bytes frame, Connection::SendCompletion then);
  void makeRoomForUnauthenticated();
  void scheduleTick(SteadyTime due);
  void onTick();

  LinkCoreServices services_;
  Logger log_;
  ObserverSlot<LinkObserver> observer_;
  RouteRegistry routes_;
  std::vector<LinkModule*> modules_;
  std::map<PeerID, std::shared_ptr<Peer>> peers_;
  std::optional<PeerID> authedPeerID_;
  std::int64_t socketGen_ = 0;
  std::shared_ptr<AckTracker> acks_;
  LinkState state_;
  DelayedWork tick_;
  SteadyTime nextTickDue_{};
  bool running_ = false;
  std::uint64_t arrivals_ = 0;
  std::weak_ptr<void> owner_;
  bool hasOwner_ = false;
};

}  // namespace orvane
