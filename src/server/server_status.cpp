#include "features/status/phone_status.hpp"
#include "server/pairing_server.hpp"

namespace orvane {

std::vector<InboundRoute> PairingServer::statusRoutes() {
  return {{"phone_status", true, &PairingServer::handlePhoneStatus}};
}

void PairingServer::handlePhoneStatus(const Envelope& envelope, Peer&, PeerID) {
  const PhoneStatus status = PhoneStatus::from(envelope.body, wallNow());
  withDelegate([&](PairingServerDelegate& d) { d.serverPhoneStatusChanged(status); });
}

}  // namespace orvane
