// The router: every valid envelope is matched by exact type against the inbound
// catalogue, checked for authentication and handed to its feature's handler.
#include <unordered_map>

#include "server/pairing_server.hpp"

namespace orvane {

namespace {

using RouteTable = std::unordered_map<std::string_view, InboundRoute>;

RouteTable buildRoutes() {
  RouteTable table;
  for (auto rows : {PairingServer::sessionRoutes(), PairingServer::pairingRoutes(), PairingServer::notificationRoutes(),
                    PairingServer::mediaRoutes(), PairingServer::clipboardRoutes(), PairingServer::statusRoutes()}) {
    for (const InboundRoute& row : rows) table.emplace(row.type, row);
  }
  return table;
}

const RouteTable& routes() {
  static const RouteTable table = buildRoutes();
  return table;
}

}  // namespace

void PairingServer::dispatch(const Envelope& envelope, Peer& peer, PeerID peerID) {
  auto it = routes().find(envelope.type);
  if (it == routes().end()) {
    // Unknown types, `error` from the phone included.
    if (peer.authed) {
      send(peer, "error", {{"reason", "unknown_type"}});
    } else {
      refuse(peer, "unknown_type");
    }
    return;
  }
  const InboundRoute& route = it->second;
  if (route.needsAuth && !peer.authed) {
    refuse(peer, "unauthorised");
    return;
  }
  (this->*route.handle)(envelope, peer, peerID);
}

std::vector<InboundRoute> PairingServer::sessionRoutes() {
  return {
      {"ping", false, &PairingServer::handlePing},
      {"pong", false, &PairingServer::handlePong},
      {"disconnect", false, &PairingServer::handleDisconnect},
      {"ack", false, &PairingServer::handleAck},
  };
}

void PairingServer::handlePing(const Envelope&, Peer& peer, PeerID) { send(peer, "pong"); }

// Receipt alone has already refreshed the connection's liveness.
void PairingServer::handlePong(const Envelope&, Peer&, PeerID) {}

void PairingServer::handleDisconnect(const Envelope&, Peer& peer, PeerID peerID) {
  const bool wasAuthed = peer.authed;
  removePeer(peerID);
  if (wasAuthed) endSession("Phone disconnected \u2014 still listening");
}

void PairingServer::handleAck(const Envelope& envelope, Peer&, PeerID) {
  auto ackFor = envelope.get("ack_for");
  if (!ackFor || ackFor->empty()) return;
  acknowledge(std::string(*ackFor));
}

}  // namespace orvane
