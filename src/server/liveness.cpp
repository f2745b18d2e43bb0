// The housekeeping tick, the silence watchdog, keep-alive pings and the sends that
// wait for the phone's acknowledgement.
#include "server/pairing_server.hpp"

namespace orvane {

void PairingServer::startTick() {
  tick_.cancel();
  scheduleTick(now() + tickPeriod);
}

void PairingServer::scheduleTick(SteadyTime due) {
  // Fixed rate with no leeway: each firing is due exactly one period after the last
  // deadline, however late the previous one ran.
  nextTickDue_ = due;
  const Duration delay = due > now() ? due - now() : Duration::zero();
  std::weak_ptr<PairingServer> weak = weak_from_this();
  tick_ = services_.queue->postAfter(delay, [weak] {
    auto self = weak.lock();
    if (!self) return;
    self->scheduleTick(self->nextTickDue_ + tickPeriod);
    self->onTick();
  });
}

void PairingServer::onTick() {
  if (!running_) return;
  const SteadyTime t = now();

  if (!pending_ && invitation_ && (invitation_->consumed || invitation_->isExpired(wallNow()))) renewInvitation();

  std::vector<PeerID> ids;
  for (const auto& [id, peer] : peers_) ids.push_back(id);
  for (PeerID id : ids) {
    auto it = peers_.find(id);
    if (it == peers_.end() || it->second->closed) continue;
    std::shared_ptr<Peer> peer = it->second;
    if (t - peer->lastRx > silenceLimit) {
      if (authedPeerID_ == id) {
        log_.debug("watchdog: authed session silent, dropping");
        endSession("Phone went silent \u2014 still listening");
      }
      removePeer(id);
      continue;
    }
    if (peer->authed) {
      if (t - peer->lastTx > keepAliveAfter) send(*peer, "ping");
      publishMacHealth(*peer, false);
    }
  }
}

void PairingServer::sendTracked(TrackedKind kind, std::string type, Body body, std::optional<std::string> pendingID) {
  Peer* peer = sessionPeer();
  if (!peer) return;
  Envelope envelope = Envelope::make(std::move(type), std::move(body));
  auto frame = Framing::encode(envelope.encode());
  if (!frame) return;
  peer->lastTx = now();
  peer->conn->send(std::move(*frame), [](std::optional<std::string>) {});

  const std::string id = envelope.id;
  const std::int64_t gen = socketGen_;
  std::weak_ptr<PairingServer> weak = weak_from_this();
  DelayedWork item = services_.queue->postAfter(ackTimeout, [weak, id, gen, kind] {
    if (auto self = weak.lock()) self->onAckTimeout(id, gen, kind);
  });
  pendingAcks_.insert_or_assign(id, AckEntry{gen, item, kind});

  withDelegate([&](PairingServerDelegate& d) {
    if (kind == TrackedKind::message) {
      d.serverMessageStatus("sent:" + id, true, pendingID);
    } else {
      d.serverUrlStatus("sent:" + id, true, pendingID);
    }
  });
}

void PairingServer::onAckTimeout(const std::string& id, std::int64_t gen, TrackedKind kind) {
  auto it = pendingAcks_.find(id);
  if (it == pendingAcks_.end() || it->second.gen != gen) return;
  pendingAcks_.erase(it);
  withDelegate([&](PairingServerDelegate& d) {
    if (kind == TrackedKind::message) d.serverMessageStatus(id, false, std::nullopt);
    d.serverUrlStatus(id, false, std::nullopt);
  });
}

void PairingServer::acknowledge(const std::string& id) {
  auto it = pendingAcks_.find(id);
  if (it == pendingAcks_.end() || it->second.gen != socketGen_) return;
  it->second.item.cancel();
  pendingAcks_.erase(it);
  withDelegate([&](PairingServerDelegate& d) {
    d.serverMessageStatus(id, true, std::nullopt);
    d.serverUrlStatus(id, true, std::nullopt);
  });
}

void PairingServer::settleFlight() {
  std::vector<std::string> ids;
  for (auto& [id, entry] : pendingAcks_) {
    entry.item.cancel();
    ids.push_back(id);
  }
  pendingAcks_.clear();
  withDelegate([&](PairingServerDelegate& d) {
    for (const auto& id : ids) {
      d.serverMessageStatus(id, false, std::nullopt);
      d.serverUrlStatus(id, false, std::nullopt);
    }
  });
}

void PairingServer::publishMacHealth(Peer& peer, bool force) {
  if (!services_.macHealth) return;
  const SteadyTime t = now();
  if (!force && lastMacHealthSent_ && t - *lastMacHealthSent_ < macHealthInterval) return;
  lastMacHealthSent_ = t;
  const BatteryReading battery = services_.macHealth->batteryState();
  const NetworkReading network = services_.macHealth->networkState();
  send(peer, "mac_health", MacHealthSnapshot::body(battery, network));
}

}  // namespace orvane
