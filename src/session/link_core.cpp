#include "session/link_core.hpp"

#include <algorithm>

#include "wire/framing.hpp"

namespace orvane {

std::shared_ptr<LinkCore> LinkCore::create(LinkCoreServices services) {
  return std::shared_ptr<LinkCore>(new LinkCore(std::move(services)));
}

LinkCore::LinkCore(LinkCoreServices services)
    : services_(std::move(services)),
      log_(services_.log, "link"),
      acks_(std::make_shared<AckTracker>(services_.queue, ackTimeout)) {
  // The core's own rows go in first, into an empty catalogue: they cannot clash.
  (void)registerSessionRoutes();
}

LinkCore::~LinkCore() {
  tick_.cancel();
  for (auto& [id, peer] : peers_) {
    peer->conn->setStateHandler({});
    peer->conn->cancel();
  }
}

expected<void, std::string> LinkCore::registerSessionRoutes() {
  if (auto r = routes_.add("ping", false, [this](const Envelope&, Peer& peer, PeerID) { send(peer, "pong"); }); !r) return r;
  // Receipt alone has already refreshed the connection's liveness.
  if (auto r = routes_.add("pong", false, [](const Envelope&, Peer&, PeerID) {}); !r) return r;
  if (auto r = routes_.add("disconnect", false,
                           [this](const Envelope&, Peer&, PeerID peerID) { retire(peerID, RetireCause::phoneDisconnected); });
      !r)
    return r;
  return routes_.add("ack", false, [this](const Envelope& envelope, Peer&, PeerID) {
    auto ackFor = envelope.get("ack_for");
    if (!ackFor || ackFor->empty()) return;
    acks_->acknowledge(std::string(*ackFor), socketGen_);
  });
}

expected<void, std::string> LinkCore::addModule(LinkModule& module) {
  if (auto registered = module.registerRoutes(routes_); !registered) return registered;
  modules_.push_back(&module);
  return {};
}

// ---- Lifecycle ----

bool LinkCore::begin() {
  assertOnQueue(*services_.queue);
  if (running_) return false;
  running_ = true;
  return true;
}

void LinkCore::stop() {
  assertOnQueue(*services_.queue);
  running_ = false;
  tick_.cancel();
  tick_ = {};
  for (auto& [id, peer] : peers_) closePeer(*peer);
  peers_.clear();
  dropSession();
  for (LinkModule* m : modules_) m->stopped();
}

// ---- Connections ----

void LinkCore::accept(std::shared_ptr<Connection> conn) {
  assertOnQueue(*services_.queue);
  const PeerID peerID = conn->id();
  std::weak_ptr<Connection> weakConn = conn;
  conn->setStateHandler(whileAlive([weakConn, peerID](LinkCore& self, ConnectionState state, const std::string&) {
    if (auto c = weakConn.lock()) self.onConnectionState(peerID, c, state);
  }));
  // Connections accepted but not yet ready are kept alive by the transport until
  // their handshake ends (or times out).
  conn->start();
}

void LinkCore::onConnectionState(PeerID peerID, const std::shared_ptr<Connection>& conn, ConnectionState state) {
  switch (state) {
    case ConnectionState::ready:
      if (peers_.contains(peerID)) return;
      peers_.emplace(peerID, std::make_shared<Peer>(conn, now(), ++arrivals_));
      makeRoomForUnauthenticated();
      receiveNext(peerID);
      return;
    case ConnectionState::failed:
    case ConnectionState::cancelled:
      retire(peerID, RetireCause::lost);
      return;
    default:
      return;
  }
}

Peer* LinkCore::livePeer(PeerID id) {
  auto it = peers_.find(id);
  if (it == peers_.end() || it->second->closed) return nullptr;
  return it->second.get();
}

Peer* LinkCore::sessionPeer() { return authedPeerID_ ? livePeer(*authedPeerID_) : nullptr; }

// Called as each connection becomes ready, so at most one is over the bound.
void LinkCore::makeRoomForUnauthenticated() {
  std::size_t waiting = 0;
  Peer* oldest = nullptr;
  for (const auto& [id, peer] : peers_) {
    if (peer->authed || peer->closed) continue;
    ++waiting;
    const PeerID peerID = id;  // clang 14 (the fuzz build) cannot capture a structured binding
    const bool held =
        std::any_of(modules_.begin(), modules_.end(), [peerID](LinkModule* m) { return m->holdsPeer(peerID); });
    if (!held && (!oldest || peer->arrival < oldest->arrival)) oldest = peer.get();
  }
  if (waiting <= maxUnauthenticated || !oldest) return;
  log_.info("too many connections waiting to authenticate: closing the oldest");
  retire(oldest->conn->id(), RetireCause::lost);
}

void LinkCore::receiveNext(PeerID peerID) {
  Peer* peer = livePeer(peerID);
  if (!peer) return;
  peer->conn->receive(maxReceive, whileAlive([peerID](LinkCore& self, Bytes data, bool isComplete,
                                                      std::optional<std::string> error) {
                        self.onReceived(peerID, std::move(data), isComplete, std::move(error));
                      }));
}

void LinkCore::onReceived(PeerID peerID, Bytes data, bool isComplete, std::optional<std::string> error) {
  auto it = peers_.find(peerID);
  if (it == peers_.end() || it->second->closed) return;
  std::shared_ptr<Peer> peer = it->second;

  if (!data.empty()) {
    peer->lastRx = now();
    peer->buffer->append(data);
    for (;;) {
      auto frame = peer->buffer->popFrame();
      if (!frame) {
        // An impossible length ends the connection without a reply, like any other
        // lost connection, so that neither the session nor a pending pairing request
        // keeps pointing at a connection that is gone.
        retire(peerID, RetireCause::lost);
        return;
      }
      if (!frame->has_value()) break;
      // A connection closing after a final reply stays until that send completes, and
      // its later frames are still routed.
      if (peers_.contains(peerID) && !peer->refused) {
        auto envelope = Envelope::parse(**frame);
        if (envelope) {
          dispatch(*envelope, *peer, peerID);
        } else if (!peer->authed) {
          refuse(*peer, envelope.error().reason);
        } else {
          send(*peer, "error", {{"reason", envelope.error().reason}});
        }
      }
      // Removed, or closed for not reading its replies: nothing more is routed.
      if (!peers_.contains(peerID) || peer->closed) return;
    }
  }

  if (!error && !isComplete) {
    receiveNext(peerID);
  } else {
    retire(peerID, RetireCause::lost);
  }
}

void LinkCore::dispatch(const Envelope& envelope, Peer& peer, PeerID peerID) {
  assertOnQueue(*services_.queue);
  const Route* route = routes_.find(envelope.type);
  if (!route) {
    // Unknown types, `error` from the phone included.
    if (peer.authed) {
      send(peer, "error", {{"reason", "unknown_type"}});
    } else {
      refuse(peer, "unknown_type");
    }
    return;
  }
  if (route->needsAuth && !peer.authed) {
    refuse(peer, "unauthorised");
    return;
  }
  route->handle(envelope, peer, peerID);
}

// ---- Sending ----

bool LinkCore::sendEnvelope(Peer& peer, const Envelope& envelope) {
  assertOnQueue(*services_.queue);
  if (peer.closed) return false;
  auto frame = Framing::encode(envelope.encode());
  if (!frame) return false;
  handOver(peer, std::move(*frame), {});
  return true;
}

void LinkCore::send(Peer& peer, std::string type, Body body) {
  if (peer.closed) return;
  sendEnvelope(peer, Envelope::make(std::move(type), std::move(body)));
}

void LinkCore::sendAndClose(Peer& peer, std::string type, Body body) {
  const PeerID peerID = peer.conn->id();
  std::optional<Bytes> frame;
  if (!peer.closed) frame = Framing::encode(Envelope::make(std::move(type), std::move(body)).encode());
  if (!frame) {
    retire(peerID, RetireCause::lost);
    return;
  }
  std::weak_ptr<Connection> weakConn = peer.conn;
  handOver(peer, std::move(*frame), whileAlive([weakConn, peerID](LinkCore& self, std::optional<std::string>) {
             auto it = self.peers_.find(peerID);
             if (it == self.peers_.end() || it->second->conn != weakConn.lock()) return;
             self.retire(peerID, RetireCause::lost);
           }));
}

void LinkCore::handOver(Peer& peer, Bytes frame, Connection::SendCompletion then) {
  peer.lastTx = now();
  const std::size_t size = frame.size();
  peer.queuedBytes += size;
  auto entry = peers_.find(peer.conn->id());
  std::weak_ptr<Peer> weakPeer = entry != peers_.end() ? entry->second : nullptr;
  peer.conn->send(std::move(frame), [weakPeer, size, then = std::move(then)](std::optional<std::string> error) {
    if (auto p = weakPeer.lock()) p->queuedBytes -= std::min(size, p->queuedBytes);
    if (then) then(std::move(error));
  });
  if (peer.queuedBytes <= maxQueuedBytes) return;
  // The peer does not read what it is sent. It is closed now and leaves the link on
  // the queue's next turn, so that a caller still holding it finishes safely.
  log_.info("connection does not read what it is sent: closing it");
  const PeerID peerID = peer.conn->id();
  closePeer(peer);
  services_.queue->post(whileAlive([peerID](LinkCore& self) { self.retire(peerID, RetireCause::lost); }));
}

void LinkCore::refuse(Peer& peer, std::string_view code) { sendAndClose(peer, "error", {{"reason", std::string(code)}}); }

void LinkCore::sendAndCloseAfter(Duration delay, PeerID peerID, std::string type, Body body) {
  // Decided now: whatever the connection sends meanwhile must not change the answer.
  if (Peer* peer = livePeer(peerID)) peer->refused = true;
  services_.queue->postAfter(delay, whileAlive([peerID, type = std::move(type), body = std::move(body)](LinkCore& self) {
                               if (Peer* peer = self.livePeer(peerID)) self.sendAndClose(*peer, type, body);
                             }));
}

bool LinkCore::sendToSession(std::string type, Body body) {
  Peer* peer = sessionPeer();
  if (!peer) return false;
  return sendEnvelope(*peer, Envelope::make(std::move(type), std::move(body)));
}

std::optional<std::string> LinkCore::sendTracked(std::string type, Body body, AckTracker::OnOutcome onOutcome) {
  Peer* peer = sessionPeer();
  if (!peer) return std::nullopt;
  Envelope envelope = Envelope::make(std::move(type), std::move(body));
  if (!sendEnvelope(*peer, envelope)) return std::nullopt;
  // The outcome may come from a time-out: it runs only while the owner is there.
  acks_->track(envelope.id, socketGen_,
               [owner = ownerToken(), onOutcome = std::move(onOutcome)](const std::string& id, AckOutcome outcome) {
                 if (auto held = owner.lock()) onOutcome(id, outcome);
               });
  return envelope.id;
}

// ---- The session ----

void LinkCore::authenticate(Peer& peer, std::string deviceID, bool closeOthers) {
  assertOnQueue(*services_.queue);
  const PeerID peerID = peer.conn->id();
  if (closeOthers) {
    std::vector<PeerID> others;
    for (const auto& [id, other] : peers_) {
      if (id != peerID) others.push_back(id);
    }
    for (PeerID id : others) retire(id, RetireCause::superseded);
  }
  peer.authed = true;
  peer.deviceID = std::move(deviceID);
  authedPeerID_ = peerID;
  ++socketGen_;
}

void LinkCore::announceSessionStarted(Peer& peer) {
  for (LinkModule* m : modules_) m->sessionStarted(peer);
}

void LinkCore::announceForgotten() {
  for (LinkModule* m : modules_) m->forgotten();
}

void LinkCore::dropSession() {
  assertOnQueue(*services_.queue);
  acks_->settle();
  authedPeerID_.reset();
  ++socketGen_;
}

void LinkCore::endSession(const std::string& detail) {
  dropSession();
  setState(LinkState::disconnected(detail));
}

void LinkCore::disconnectSession() {
  assertOnQueue(*services_.queue);
  if (Peer* peer = sessionPeer()) sendAndClose(*peer, "disconnect");
  endSession("Disconnected by you \u2014 still listening");
}

void LinkCore::retire(PeerID peerID, RetireCause cause) {
  assertOnQueue(*services_.queue);
  auto it = peers_.find(peerID);
  if (it == peers_.end()) return;
  std::shared_ptr<Peer> peer = it->second;
  closePeer(*peer);
  peers_.erase(it);

  if (authedPeerID_ == peerID && cause != RetireCause::superseded) {
    switch (cause) {
      case RetireCause::silent:
        log_.debug("watchdog: authed session silent, dropping");
        endSession("Phone went silent \u2014 still listening");
        break;
      case RetireCause::phoneDisconnected:
        endSession("Phone disconnected \u2014 still listening");
        break;
      default:
        log_.debug("dropConn: authed session lost");
        endSession("Connection lost \u2014 still listening");
        break;
    }
  }
  for (LinkModule* m : modules_) m->peerRetired(peerID);
}

void LinkCore::closePeer(Peer& peer) {
  peer.closed = true;
  peer.conn->cancel();
}

void LinkCore::setState(const LinkState& state) {
  assertOnQueue(*services_.queue);
  state_ = state;
  log_.debug("state=" + state.title());
  observer_.notify([&](LinkObserver& o) { o.serverStateChanged(state); });
}

// ---- Housekeeping tick ----

void LinkCore::startTick() {
  tick_.cancel();
  scheduleTick(now() + tickPeriod);
}

void LinkCore::scheduleTick(SteadyTime due) {
  // Fixed rate with no leeway: each firing is due exactly one period after the last
  // deadline, however late the previous one ran.
  nextTickDue_ = due;
  const Duration delay = due > now() ? due - now() : Duration::zero();
  tick_ = services_.queue->postAfter(delay, whileAlive([](LinkCore& self) {
                                       self.scheduleTick(self.nextTickDue_ + tickPeriod);
                                       self.onTick();
                                     }));
}

void LinkCore::onTick() {
  if (!running_) return;
  const SteadyTime t = now();
  for (LinkModule* m : modules_) m->tick(t);

  std::vector<PeerID> ids;
  for (const auto& [id, peer] : peers_) ids.push_back(id);
  for (PeerID id : ids) {
    auto it = peers_.find(id);
    if (it == peers_.end() || it->second->closed) continue;
    std::shared_ptr<Peer> peer = it->second;
    // Any received chunk counts, whether or not it held a whole or valid frame.
    if (t - peer->lastRx > silenceLimit) {
      retire(id, RetireCause::silent);
      continue;
    }
    if (peer->authed) {
      // Health reports keep the send time fresh, so a phone that speaks only when
      // spoken to would never be pinged and would fall silent; a ping also goes out
      // when nothing has come from the phone for as long.
      if (t - peer->lastTx > keepAliveAfter || t - peer->lastRx > keepAliveAfter) send(*peer, "ping");
      for (LinkModule* m : modules_) m->sessionTick(*peer, t);
    }
  }
}

}  // namespace orvane
