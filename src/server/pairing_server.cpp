#include "server/pairing_server.hpp"

#include "base/codec.hpp"
#include "base/crypto.hpp"
#include "features/clipboard/clip_epoch_store.hpp"

namespace orvane {

std::shared_ptr<PairingServer> PairingServer::create(PairingServerServices services) {
  return std::shared_ptr<PairingServer>(new PairingServer(std::move(services)));
}

PairingServer::PairingServer(PairingServerServices services)
    : services_(std::move(services)),
      log_(services_.log, "link"),
      clipDedupe_(ClipEpochStore(services_.defaults).load(),
                  [store = ClipEpochStore(services_.defaults)](std::int64_t counter, std::int64_t maxSeq,
                                                               const std::string& maxOrigin) {
                    store.save(counter, maxSeq, maxOrigin);
                  }) {
  if (!services_.mediaKeys) services_.mediaKeys = std::make_shared<NoMediaKeyOutput>();
}

PairingServer::~PairingServer() {
  tick_.cancel();
  for (auto& [id, entry] : pendingAcks_) entry.item.cancel();
  for (auto& [id, nudge] : nudges_) {
    nudge.timeout.cancel();
    nudge.conn->setStateHandler({});
    nudge.conn->cancel();
  }
  for (auto& [id, peer] : peers_) {
    peer->conn->setStateHandler({});
    peer->conn->cancel();
  }
  if (listener_) listener_->cancel();
}

void PairingServer::setDelegate(std::weak_ptr<PairingServerDelegate> delegate) {
  onQueue([delegate = std::move(delegate)](PairingServer& s) { s.delegate_ = delegate; });
}

void PairingServer::start() {
  onQueue([](PairingServer& s) { s.startOnQueue(); });
}

void PairingServer::restart() {
  onQueue([](PairingServer& s) {
    s.stopOnQueue();
    s.startOnQueue();
  });
}

// ---- Lifecycle ----

void PairingServer::startOnQueue() {
  if (running_) return;
  running_ = true;

  auto identity = services_.identities->loadOrCreate();
  if (!identity) {
    setState(LinkState::error(identity.error().description()));
    return;
  }
  identity_ = *identity;

  loadPaired();
  lastPhoneAddress_ = services_.defaults->string(lastPhoneAddressKey);
  lastLocalAddress_ = services_.defaults->string(lastLocalAddressKey);
  if (paired_) {
    const auto name = paired_->deviceName;
    const auto id = paired_->deviceID;
    withDelegate([&](PairingServerDelegate& d) { d.serverPairedDeviceChanged(name, id); });
  }

  auto credentials = services_.transport->makeTlsCredentials(identity_->secIdentity);
  if (!credentials) {
    log_.systemLine("ZEL: sec_identity_create failed (cert " + identity_->fingerprintText() + ")");
    setState(LinkState::error("TLS identity unavailable"));
    return;
  }
  log_.systemLine("ZEL: listener identity " + identity_->fingerprintText());

  auto listener = services_.transport->makeListener(credentials, port);
  if (!listener) {
    setState(LinkState::error(listener.error()));
    return;
  }
  listener_ = std::move(*listener);
  std::weak_ptr<PairingServer> weak = weak_from_this();
  // The listener's callbacks already arrive on the queue; they hold the server weakly.
  listener_->setStateHandler([weak](ListenerState state, const std::string& error) {
    auto self = weak.lock();
    if (!self || state != ListenerState::failed) return;
    self->setState(LinkState::error("Listener failed: " + error));
  });
  listener_->setNewConnectionHandler([weak](std::shared_ptr<Connection> conn) {
    if (auto self = weak.lock()) self->accept(std::move(conn));
  });
  listener_->setService(discoveryService());
  listener_->start();

  regenerateInvitation();
  startTick();

  if (paired_) {
    setState(LinkState::disconnected("Listening \u2014 " + paired_->deviceName + " paired"));
  } else {
    setState(LinkState::disconnected("Listening on port " + std::to_string(port)));
  }
}

void PairingServer::stopOnQueue() {
  running_ = false;
  tick_.cancel();
  tick_ = {};
  for (auto& [id, peer] : peers_) closePeer(*peer);
  peers_.clear();
  settleFlight();
  pending_.reset();
  authedPeerID_.reset();
  ++socketGen_;
  if (listener_) {
    listener_->cancel();
    listener_.reset();
  }
}

// ---- Connections ----

void PairingServer::accept(std::shared_ptr<Connection> conn) {
  const PeerID peerID = conn->id();
  std::weak_ptr<PairingServer> weak = weak_from_this();
  std::weak_ptr<Connection> weakConn = conn;
  conn->setStateHandler([weak, weakConn, peerID](ConnectionState state, const std::string&) {
    auto self = weak.lock();
    auto c = weakConn.lock();
    if (self && c) self->onConnectionState(peerID, c, state);
  });
  // Connections accepted but not yet ready are kept alive by the transport until
  // their handshake ends (or times out).
  conn->start();
}

void PairingServer::onConnectionState(PeerID peerID, const std::shared_ptr<Connection>& conn, ConnectionState state) {
  switch (state) {
    case ConnectionState::ready: {
      if (peers_.contains(peerID)) return;
      peers_.emplace(peerID, std::make_shared<Peer>(conn, now()));
      receiveNext(peerID);
      return;
    }
    case ConnectionState::failed:
    case ConnectionState::cancelled:
      dropConn(peerID);
      return;
    default:
      return;
  }
}

void PairingServer::receiveNext(PeerID peerID) {
  auto it = peers_.find(peerID);
  if (it == peers_.end() || it->second->closed) return;
  std::weak_ptr<PairingServer> weak = weak_from_this();
  it->second->conn->receive(maxReceive, [weak, peerID](Bytes data, bool isComplete, std::optional<std::string> error) {
    if (auto self = weak.lock()) self->onReceived(peerID, std::move(data), isComplete, std::move(error));
  });
}

void PairingServer::onReceived(PeerID peerID, Bytes data, bool isComplete, std::optional<std::string> error) {
  auto it = peers_.find(peerID);
  if (it == peers_.end() || it->second->closed) return;
  std::shared_ptr<Peer> peer = it->second;

  if (!data.empty()) {
    peer->lastRx = now();
    peer->buffer->append(data);
    for (;;) {
      auto frame = peer->buffer->popFrame();
      if (!frame) {
        // An impossible length ends the connection without a reply. It ends like any
        // other lost connection, so that neither the session nor a pending pairing
        // request keeps pointing at a connection that is gone.
        dropConn(peerID);
        return;
      }
      if (!frame->has_value()) break;
      if (peers_.contains(peerID)) {
        auto envelope = Envelope::parse(**frame);
        if (envelope) {
          dispatch(*envelope, *peer, peerID);
        } else if (!peer->authed) {
          sendAndClose(*peer, "error", {{"reason", envelope.error().reason}});
        } else {
          send(*peer, "error", {{"reason", envelope.error().reason}});
        }
      }
      if (!peers_.contains(peerID)) return;
    }
  }

  if (!error && !isComplete) {
    receiveNext(peerID);
  } else {
    dropConn(peerID);
  }
}

void PairingServer::sendEnvelope(Peer& peer, const Envelope& envelope) {
  if (peer.closed) return;
  auto frame = Framing::encode(envelope.encode());
  if (!frame) return;
  peer.lastTx = now();
  peer.conn->send(std::move(*frame), [](std::optional<std::string>) {});
}

void PairingServer::send(Peer& peer, std::string type, Body body) {
  if (peer.closed) return;
  sendEnvelope(peer, Envelope::make(std::move(type), std::move(body)));
}

void PairingServer::sendAndClose(Peer& peer, std::string type, Body body) {
  std::optional<Bytes> frame;
  if (!peer.closed) frame = Framing::encode(Envelope::make(std::move(type), std::move(body)).encode());
  if (!frame) {
    closePeer(peer);
    return;
  }
  peer.lastTx = now();
  std::weak_ptr<PairingServer> weak = weak_from_this();
  std::weak_ptr<Connection> weakConn = peer.conn;
  const PeerID peerID = peer.conn->id();
  peer.conn->send(std::move(*frame), [weak, weakConn, peerID](std::optional<std::string>) {
    auto self = weak.lock();
    if (!self) return;
    auto it = self->peers_.find(peerID);
    if (it == self->peers_.end() || it->second->conn != weakConn.lock()) return;
    // Removed without the session-end steps: the later `cancelled` finds no peer.
    self->closePeer(*it->second);
    self->peers_.erase(it);
  });
}

Peer* PairingServer::sessionPeer() {
  if (!authedPeerID_) return nullptr;
  auto it = peers_.find(*authedPeerID_);
  if (it == peers_.end() || it->second->closed) return nullptr;
  return it->second.get();
}

void PairingServer::sendToSession(std::string type, Body body) {
  if (Peer* peer = sessionPeer()) send(*peer, std::move(type), std::move(body));
}

void PairingServer::closePeer(Peer& peer) {
  peer.closed = true;
  peer.conn->cancel();
}

void PairingServer::removePeer(PeerID peerID) {
  auto it = peers_.find(peerID);
  if (it == peers_.end()) return;
  closePeer(*it->second);
  peers_.erase(it);
}

void PairingServer::refuse(Peer& peer, std::string_view code) {
  sendAndClose(peer, "error", {{"reason", std::string(code)}});
}

void PairingServer::setState(const LinkState& state) {
  log_.debug("state=" + state.title());
  withDelegate([&](PairingServerDelegate& d) { d.serverStateChanged(state); });
}

void PairingServer::endSession(const std::string& detail) {
  settleFlight();
  authedPeerID_.reset();
  ++socketGen_;
  setState(LinkState::disconnected(detail));
}

void PairingServer::dropConn(PeerID peerID) {
  auto it = peers_.find(peerID);
  if (it == peers_.end()) return;
  closePeer(*it->second);
  peers_.erase(it);
  if (authedPeerID_ == peerID) {
    log_.debug("dropConn: authed session lost");
    endSession("Connection lost \u2014 still listening");
  }
  if (pending_ && pending_->peerID == peerID) {
    clearPending();
    renewInvitation();
    setState(LinkState::disconnected("Pairing request cancelled \u2014 still listening"));
  }
}

void PairingServer::disconnectSession() {
  onQueue([](PairingServer& s) {
    if (Peer* peer = s.sessionPeer()) s.sendAndClose(*peer, "disconnect");
    s.endSession("Disconnected by you \u2014 still listening");
  });
}

// ---- DNS-SD ----

std::optional<DiscoveryService> PairingServer::discoveryService() {
  if (!paired_ || !paired_->discoveryToken || paired_->discoveryToken->empty()) return std::nullopt;
  std::string hashed = codec::base64urlEncode(crypto::sha256(*paired_->discoveryToken));
  const std::string txt = "th=" + hashed;
  Bytes record;
  record.push_back(static_cast<std::uint8_t>(txt.size()));
  record.insert(record.end(), txt.begin(), txt.end());
  return DiscoveryService{"Orvane-" + services_.identities->installID().substr(0, 4), "_orvane._tcp", std::move(record)};
}

void PairingServer::updateDiscoveryService() {
  if (listener_) listener_->setService(discoveryService());
}

}  // namespace orvane
