#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "pairing/host_info.hpp"
#include "pairing/invitation.hpp"
#include "pairing/mac_identity.hpp"
#include "pairing/paired_device.hpp"
#include "pairing/pairing_observer.hpp"
#include "pairing/pairing_store.hpp"
#include "pairing/pending.hpp"
#include "pairing/refusal_throttle.hpp"
#include "server/reconnect_nudge.hpp"
#include "session/link_core.hpp"

namespace orvane {

// Invitations, the pairing handshake, authentication with the stored credential and
// forgetting, on either side. Holds the invitation, the request awaiting the user and
// the paired phone.
class PairingFlow final : public LinkModule {
 public:
  struct Services {
    std::shared_ptr<PairingStore> store;
    std::shared_ptr<HostInfo> host;
    std::uint16_t port = 0;  // the listener's, as the QR code tells it
    // Called whenever the paired phone changes, to replace the DNS-SD advertisement.
    std::function<void()> advertisementChanged;
  };

  PairingFlow(LinkCore& link, ReconnectNudge& nudge, Services services);

  void setObserver(std::weak_ptr<PairingObserver> observer) { observer_.set(std::move(observer)); }
  expected<void, std::string> registerRoutes(RouteRegistry& routes) override;
  void tick(SteadyTime now) override;
  void peerRetired(PeerID peerID) override;
  void stopped() override { pending_.reset(); }
  bool holdsPeer(PeerID peerID) const override { return pending_ && pending_->peerID == peerID; }

  // At start: the identity whose fingerprint goes in the QR code, and the paired phone.
  void setIdentity(const MacIdentity& identity) { identity_ = identity; }
  // Gives false when a stored pairing could not be read (it was logged and set aside).
  bool loadPaired();
  // Tells the observer which phone is paired, when one is.
  void announcePaired();

  // A new invitation, unless a request is waiting for the user.
  void regenerateInvitation();
  void approve();
  void deny();
  void forget();

  const std::optional<Invitation>& invitation() const { return invitation_; }
  const std::optional<Pending>& pending() const { return pending_; }
  const std::optional<PairedDevice>& paired() const { return paired_; }
  std::string macName() const;

 private:
  void renewInvitation();
  void publishInvitation();
  void clearPending();
  // After a refused or denied request, the state the link had before it.
  void leaveAwaitingApproval();
  void forgetRecord();
  void announceForgotten();

  // A refused `pair_request` or `authenticate`: the code, then close; later for an
  // address that keeps being refused.
  void refuse(Peer& peer, std::string type, std::string reason);
  void refuseAuthentication(Peer& peer, const std::string& deviceID, const std::string& reason);
  void onPairRequest(const Envelope& envelope, Peer& peer, PeerID peerID);
  void onAuthenticate(const Envelope& envelope, Peer& peer);
  void onForgetDevice(const Envelope& envelope, Peer& peer);

  LinkCore& link_;
  ReconnectNudge& nudge_;
  Services services_;
  ObserverSlot<PairingObserver> observer_;
  std::optional<MacIdentity> identity_;
  std::optional<Invitation> invitation_;
  std::optional<Pending> pending_;
  std::optional<PairedDevice> paired_;
  LinkState stateBeforeRequest_;
  RefusalThrottle throttle_;
};

}  // namespace orvane
