#include "server/pairing_flow.hpp"

#include "base/codec.hpp"
#include "pairing/local_ips.hpp"
#include "pairing/qr_payload.hpp"
#include "pairing/server_rules.hpp"

namespace orvane {

namespace {
constexpr int qrImageSize = 260;
}  // namespace

PairingFlow::PairingFlow(LinkCore& link, ReconnectNudge& nudge, Services services)
    : link_(link), nudge_(nudge), services_(std::move(services)) {}

expected<void, std::string> PairingFlow::registerRoutes(RouteRegistry& routes) {
  // Both must come from a connection that has NOT authenticated; the handlers say
  // what happens otherwise.
  if (auto r = routes.add("pair_request", false, [this](const Envelope& e, Peer& p, PeerID id) { onPairRequest(e, p, id); });
      !r)
    return r;
  if (auto r = routes.add("authenticate", false, [this](const Envelope& e, Peer& p, PeerID) { onAuthenticate(e, p); }); !r)
    return r;
  return routes.add("forget_device", true, [this](const Envelope& e, Peer& p, PeerID) { onForgetDevice(e, p); });
}

// ---- Invitations ----

void PairingFlow::tick(SteadyTime) {
  if (!pending_ && invitation_ && (invitation_->consumed || invitation_->isExpired(link_.wallNow()))) renewInvitation();
}

void PairingFlow::regenerateInvitation() {
  if (link_.isRunning() && !pending_) renewInvitation();
}

void PairingFlow::renewInvitation() {
  invitation_ = Invitation::generate(link_.wallNow());
  publishInvitation();
}

void PairingFlow::publishInvitation() {
  if (!invitation_ || !identity_) return;
  // Rendering the QR image is the costly part; nobody would see it.
  if (observer_.isEmpty()) return;
  const std::vector<std::string> ips = services_.host ? services_.host->localIPv4() : std::vector<std::string>{};
  const QrPayload payload{LocalIPs::preferred(ips).value_or(""), services_.port, identity_->fingerprintSHA256,
                          invitation_->token, unixSeconds(invitation_->expiresAt)};
  const std::string qrText = payload.format();
  const double expiresIn = std::chrono::duration<double>(invitation_->expiresAt - link_.wallNow()).count();
  const auto image = QRImage::make(qrText, qrImageSize);
  observer_.notify([&](PairingObserver& o) {
    o.serverInvitationChanged(qrText, expiresIn, payload.ip, payload.port, ips, image);
  });
}

// ---- The request awaiting the user ----

bool PairingFlow::loadPaired() {
  auto loaded = services_.store->loadChecked(link_.wallNow());
  paired_ = std::move(loaded.device);
  if (!loaded.problem) return true;
  link_.log().error(*loaded.problem);
  return false;
}

void PairingFlow::announcePaired() {
  if (!paired_) return;
  observer_.notify([&](PairingObserver& o) { o.serverPairedDeviceChanged(paired_->deviceName, paired_->deviceID); });
}

void PairingFlow::clearPending() {
  pending_.reset();
  observer_.notify([](PairingObserver& o) { o.serverPendingCleared(); });
}

void PairingFlow::leaveAwaitingApproval() {
  if (std::holds_alternative<LinkState::AwaitingApproval>(link_.state().value)) link_.setState(stateBeforeRequest_);
}

void PairingFlow::peerRetired(PeerID peerID) {
  if (!pending_ || pending_->peerID != peerID) return;
  clearPending();
  renewInvitation();
  link_.setState(LinkState::disconnected("Pairing request cancelled \u2014 still listening"));
}

std::string PairingFlow::macName() const {
  auto name = services_.host ? services_.host->localizedHostName() : std::nullopt;
  return name && !name->empty() ? *name : "Mac";
}

void PairingFlow::refuse(Peer& peer, std::string type, std::string reason) {
  const auto remote = peer.conn->remoteEndpoint();
  const Duration wait = throttle_.refuse(remote ? remote->host : std::string(), link_.now());
  if (wait == Duration::zero()) {
    link_.sendAndClose(peer, std::move(type), {{"reason", std::move(reason)}});
  } else {
    link_.sendAndCloseAfter(wait, peer.conn->id(), std::move(type), {{"reason", std::move(reason)}});
  }
}

void PairingFlow::refuseAuthentication(Peer& peer, const std::string& deviceID, const std::string& reason) {
  refuse(peer, "auth_failed", reason);
  observer_.notify([&](PairingObserver& o) { o.serverAuthRefused(deviceID, reason); });
}

void PairingFlow::onPairRequest(const Envelope& envelope, Peer& peer, PeerID peerID) {
  if (peer.authed) {
    link_.send(peer, "error", {{"reason", "already_paired"}});
    return;
  }
  std::optional<std::string> pairedID;
  if (paired_) pairedID = paired_->deviceID;
  auto decision =
      ServerRules::decidePairRequest(invitation_, pairedID, pending_.has_value(), envelope.body, link_.wallNow());
  if (auto* reject = std::get_if<ServerRules::Reject>(&decision)) {
    refuse(peer, "pair_denied", reject->code);
    return;
  }
  auto& accept = std::get<ServerRules::Accept>(decision);
  pending_ = Pending{peerID, accept.deviceID, accept.deviceName, accept.phoneToken};
  stateBeforeRequest_ = link_.state();
  link_.setState(LinkState::awaitingApproval());
  observer_.notify([&](PairingObserver& o) { o.serverPendingRequest(accept.deviceName, accept.deviceID); });
}

void PairingFlow::onAuthenticate(const Envelope& envelope, Peer& peer) {
  if (peer.authed) return;
  auto deviceID = envelope.get("device_id");
  if (!paired_ || !deviceID || *deviceID != paired_->deviceID) {
    refuseAuthentication(peer, deviceID ? std::string(*deviceID) : std::string(), "unknown_device");
    return;
  }
  const Bytes stored = codec::base64Decode(paired_->tokenHashB64).value_or(Bytes{});
  auto token = envelope.get("phone_token");
  std::optional<Bytes> hash;
  if (token) hash = ServerRules::tokenHash(*token);
  if (!hash || !constantTimeEqual(*hash, stored)) {
    refuseAuthentication(peer, std::string(*deviceID), "credential_rejected");
    return;
  }

  // One session at a time: the older session and every stale unauthenticated
  // connection (pairing attempts included) are closed. The older session's waiting
  // sends are not settled; their time-outs report them.
  link_.authenticate(peer, paired_->deviceID, true);
  Body ok{{"mac_name", macName()}};
  if (paired_->discoveryToken) ok["discovery_token"] = *paired_->discoveryToken;
  link_.send(peer, "auth_ok", std::move(ok));
  link_.announceSessionStarted(peer);
  nudge_.recordAddresses(peer);
  link_.setState(LinkState::connected());
}

void PairingFlow::approve() {
  if (!pending_) return;
  Peer* peer = link_.livePeer(pending_->peerID);
  if (!peer) return;

  auto hash = ServerRules::tokenHash(pending_->phoneToken);
  if (!hash) {
    link_.sendAndClose(*peer, "pair_denied", {{"reason", "invalid_credential"}});
    clearPending();
    leaveAwaitingApproval();
    return;
  }
  PairedDevice record{pending_->deviceID, pending_->deviceName, codec::base64Encode(*hash), link_.wallNow(),
                      PairedDevice::newDiscoveryToken()};
  if (auto saved = services_.store->save(record); !saved) {
    link_.log().error("pairing store: " + saved.error());
    link_.sendAndClose(*peer, "pair_denied", {{"reason", "storage_unavailable"}});
    clearPending();
    leaveAwaitingApproval();
    return;
  }
  paired_ = record;
  pending_.reset();

  link_.authenticate(*peer, record.deviceID, false);
  link_.send(*peer, "pair_approved",
             {{"device_id", record.deviceID}, {"mac_name", macName()}, {"discovery_token", *record.discoveryToken}});
  if (services_.advertisementChanged) services_.advertisementChanged();
  observer_.notify([&](PairingObserver& o) {
    o.serverPendingCleared();
    o.serverPairedDeviceChanged(record.deviceName, record.deviceID);
  });
  nudge_.recordAddresses(*peer);
  link_.setState(LinkState::connected());
  renewInvitation();
}

void PairingFlow::deny() {
  if (!pending_) return;
  if (Peer* peer = link_.livePeer(pending_->peerID)) link_.sendAndClose(*peer, "pair_denied", {{"reason", "denied_by_user"}});
  clearPending();
  renewInvitation();
  leaveAwaitingApproval();
}

// ---- Forgetting ----

// What forgetting does on either side: the record and its advertisement go, and the
// features forget what they kept of the phone.
void PairingFlow::forgetRecord() {
  services_.store->clear();
  paired_.reset();
  if (services_.advertisementChanged) services_.advertisementChanged();
  link_.announceForgotten();
}

void PairingFlow::announceForgotten() {
  observer_.notify([](PairingObserver& o) {
    o.serverPairedDeviceChanged(std::nullopt, std::nullopt);
    o.serverHistoryCleared();
  });
}

void PairingFlow::forget() {
  forgetRecord();
  if (pending_) {
    if (Peer* peer = link_.livePeer(pending_->peerID)) link_.sendAndClose(*peer, "pair_denied", {{"reason", "pairing_reset"}});
    clearPending();
  }
  if (Peer* peer = link_.sessionPeer()) link_.sendAndClose(*peer, "pairing_revoked");
  link_.dropSession();
  announceForgotten();
  renewInvitation();
  link_.setState(LinkState::disconnected("Device forgotten \u2014 still listening"));
}

void PairingFlow::onForgetDevice(const Envelope& envelope, Peer& peer) {
  auto asked = envelope.get("device_id");
  std::optional<std::string_view> known;
  if (paired_) known = paired_->deviceID;
  // Both absent counts as equal.
  if (asked != known) {
    link_.refuse(peer, "unauthorised");
    return;
  }
  forgetRecord();
  announceForgotten();
  link_.sendAndClose(peer, "forget_done");
  link_.endSession("Phone forgot pairing \u2014 still listening");
}

}  // namespace orvane
