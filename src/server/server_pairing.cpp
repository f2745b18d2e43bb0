// Invitations, the pairing handshake, authentication and forgetting, on the server's
// queue.
#include "base/codec.hpp"
#include "pairing/server_rules.hpp"
#include "server/pairing_server.hpp"

namespace orvane {

std::vector<InboundRoute> PairingServer::pairingRoutes() {
  return {
      // Both must come from a connection that has NOT authenticated; the handlers say
      // what happens otherwise.
      {"pair_request", false, &PairingServer::handlePairRequest},
      {"authenticate", false, &PairingServer::handleAuthenticate},
      {"forget_device", true, &PairingServer::handleForgetDevice},
  };
}

// ---- Invitations ----

void PairingServer::regenerateInvitation() {
  onQueue([](PairingServer& s) {
    if (s.running_ && !s.pending_) s.renewInvitation();
  });
}

void PairingServer::renewInvitation() {
  invitation_ = Invitation::generate(wallNow());
  publishInvitation();
}

void PairingServer::publishInvitation() {
  if (!invitation_ || !identity_) return;
  const std::vector<std::string> ips = services_.host ? services_.host->localIPv4() : std::vector<std::string>{};
  const std::string ip = LocalIPs::preferred(ips).value_or("");
  if (delegate_.expired()) return;
  const std::string qrText = "ZEL1|ip=" + ip + "|port=" + std::to_string(port) +
                             "|pin=" + codec::base64Encode(identity_->fingerprintSHA256) + "|tok=" + invitation_->token +
                             "|exp=" + std::to_string(unixSeconds(invitation_->expiresAt));
  const double expiresIn = std::chrono::duration<double>(invitation_->expiresAt - wallNow()).count();
  const auto image = QRImage::make(qrText, 260);
  withDelegate([&](PairingServerDelegate& d) { d.serverInvitationChanged(qrText, expiresIn, ip, port, ips, image); });
}

// ---- The paired device ----

void PairingServer::loadPaired() { paired_ = services_.pairingStore->load(); }

void PairingServer::clearPending() {
  pending_.reset();
  withDelegate([](PairingServerDelegate& d) { d.serverPendingCleared(); });
}

std::string PairingServer::macName() {
  auto name = services_.host ? services_.host->localizedHostName() : std::nullopt;
  return name && !name->empty() ? *name : "Mac";
}

void PairingServer::handlePairRequest(const Envelope& envelope, Peer& peer, PeerID peerID) {
  if (peer.authed) {
    send(peer, "error", {{"reason", "already_paired"}});
    return;
  }
  std::optional<std::string> pairedID;
  if (paired_) pairedID = paired_->deviceID;
  auto decision = ServerRules::decidePairRequest(invitation_, pairedID, pending_.has_value(), envelope.body, wallNow());
  if (auto* reject = std::get_if<ServerRules::Reject>(&decision)) {
    sendAndClose(peer, "pair_denied", {{"reason", reject->code}});
    return;
  }
  auto& accept = std::get<ServerRules::Accept>(decision);
  pending_ = Pending{peerID, accept.deviceID, accept.deviceName, accept.phoneToken};
  setState(LinkState::awaitingApproval());
  withDelegate([&](PairingServerDelegate& d) { d.serverPendingRequest(accept.deviceName, accept.deviceID); });
}

void PairingServer::handleAuthenticate(const Envelope& envelope, Peer& peer, PeerID peerID) {
  if (peer.authed) return;
  auto deviceID = envelope.get("device_id");
  if (!paired_ || !deviceID || *deviceID != paired_->deviceID) {
    sendAndClose(peer, "auth_failed", {{"reason", "unknown_device"}});
    return;
  }
  const Bytes stored = codec::base64Decode(paired_->tokenHashB64).value_or(Bytes{});
  auto token = envelope.get("phone_token");
  std::optional<Bytes> hash;
  if (token) hash = ServerRules::tokenHash(*token);
  if (!hash || !constantTimeEqual(*hash, stored)) {
    sendAndClose(peer, "auth_failed", {{"reason", "credential_rejected"}});
    return;
  }

  // One session at a time: the older session and every stale unauthenticated
  // connection (pairing attempts included) are closed. The older session's tracked
  // items are not settled; their time-outs report them.
  std::vector<PeerID> others;
  for (const auto& [id, other] : peers_) {
    if (id != peerID) others.push_back(id);
  }
  for (PeerID id : others) removePeer(id);

  peer.authed = true;
  peer.deviceID = paired_->deviceID;
  authedPeerID_ = peerID;
  ++socketGen_;
  Body ok{{"mac_name", macName()}};
  if (paired_->discoveryToken) ok["discovery_token"] = *paired_->discoveryToken;
  send(peer, "auth_ok", std::move(ok));
  publishMacHealth(peer, true);
  recordAddresses(peer);
  setState(LinkState::connected());
}

void PairingServer::approvePending() {
  onQueue([](PairingServer& s) { s.approveOnQueue(); });
}

void PairingServer::approveOnQueue() {
  if (!pending_) return;
  auto it = peers_.find(pending_->peerID);
  if (it == peers_.end() || it->second->closed) return;
  std::shared_ptr<Peer> peer = it->second;

  auto hash = ServerRules::tokenHash(pending_->phoneToken);
  if (!hash) {
    sendAndClose(*peer, "pair_denied", {{"reason", "invalid_credential"}});
    clearPending();
    return;
  }
  PairedDevice record{pending_->deviceID, pending_->deviceName, codec::base64Encode(*hash), wallNow(),
                      PairedDevice::newDiscoveryToken()};
  if (auto saved = services_.pairingStore->save(record); !saved) {
    log_.error("pairing store: " + saved.error());
    sendAndClose(*peer, "pair_denied", {{"reason", "storage_unavailable"}});
    clearPending();
    return;
  }
  paired_ = record;
  pending_.reset();

  peer->authed = true;
  peer->deviceID = record.deviceID;
  authedPeerID_ = peer->conn->id();
  ++socketGen_;
  send(*peer, "pair_approved",
       {{"device_id", record.deviceID}, {"mac_name", macName()}, {"discovery_token", *record.discoveryToken}});
  updateDiscoveryService();
  withDelegate([&](PairingServerDelegate& d) {
    d.serverPendingCleared();
    d.serverPairedDeviceChanged(record.deviceName, record.deviceID);
  });
  recordAddresses(*peer);
  setState(LinkState::connected());
  renewInvitation();
}

void PairingServer::denyPending() {
  onQueue([](PairingServer& s) { s.denyOnQueue(); });
}

void PairingServer::denyOnQueue() {
  if (!pending_) return;
  auto it = peers_.find(pending_->peerID);
  if (it != peers_.end() && !it->second->closed) sendAndClose(*it->second, "pair_denied", {{"reason", "denied_by_user"}});
  clearPending();
  renewInvitation();
}

// What forgetting does on either side: the record and its advertisement go, and the
// clipboard clock stops remembering the phone's updates.
void PairingServer::forgetRecord() {
  services_.pairingStore->clear();
  paired_.reset();
  if (listener_) listener_->setService(std::nullopt);
  clipDedupe_.resetForForget();
}

void PairingServer::announceForgotten() {
  withDelegate([](PairingServerDelegate& d) {
    d.serverPairedDeviceChanged(std::nullopt, std::nullopt);
    d.serverHistoryCleared();
  });
}

void PairingServer::forgetPaired() {
  onQueue([](PairingServer& s) { s.forgetOnQueue(); });
}

void PairingServer::forgetOnQueue() {
  forgetRecord();
  if (pending_) {
    auto it = peers_.find(pending_->peerID);
    if (it != peers_.end() && !it->second->closed) sendAndClose(*it->second, "pair_denied", {{"reason", "pairing_reset"}});
    clearPending();
  }
  if (Peer* peer = sessionPeer()) sendAndClose(*peer, "pairing_revoked");
  settleFlight();
  authedPeerID_.reset();
  ++socketGen_;
  announceForgotten();
  renewInvitation();
  setState(LinkState::disconnected("Device forgotten \u2014 still listening"));
}

void PairingServer::handleForgetDevice(const Envelope& envelope, Peer& peer, PeerID) {
  auto asked = envelope.get("device_id");
  std::optional<std::string_view> known;
  if (paired_) known = paired_->deviceID;
  // Both absent counts as equal.
  if (asked != known) {
    refuse(peer, "unauthorised");
    return;
  }
  forgetRecord();
  announceForgotten();
  sendAndClose(peer, "forget_done");
  endSession("Phone forgot pairing \u2014 still listening");
}

}  // namespace orvane
