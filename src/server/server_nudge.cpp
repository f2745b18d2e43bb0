// Asking the paired phone to reconnect, and remembering the addresses it used.
#include "pairing/nudge_protocol.hpp"
#include "server/pairing_server.hpp"

namespace orvane {

void PairingServer::requestPhoneReconnect() {
  onQueue([](PairingServer& s) { s.requestPhoneReconnectOnQueue(); });
}

void PairingServer::requestPhoneReconnectOnQueue() {
  if (!paired_ || authedPeerID_) return;
  if (!lastPhoneAddress_ || lastPhoneAddress_->empty()) {
    setState(LinkState::disconnected("Reconnect once from your phone \u2014 no address known yet"));
    return;
  }
  auto line = NudgeProtocol::line(paired_->deviceID, unixSeconds(wallNow()), paired_->tokenHashB64);
  if (!line) {
    setState(LinkState::disconnected("Pairing record is invalid \u2014 scan a new QR code"));
    return;
  }
  setState(LinkState::disconnected("Asking your phone to reconnect\u2026"));
  attemptNudge(*lastPhoneAddress_, *line + "\n", lastLocalAddress_, true);
}

void PairingServer::attemptNudge(std::string host, std::string line, std::optional<std::string> bindLocal,
                                 bool canRetry) {
  std::optional<std::string> bind;
  if (bindLocal && !bindLocal->empty()) bind = bindLocal;
  auto conn = services_.transport->makeTcpConnection(host, NudgeProtocol::port, bind);
  const PeerID nudgeID = conn->id();
  auto finished = std::make_shared<bool>(false);
  std::weak_ptr<PairingServer> weak = weak_from_this();

  auto finish = [weak, nudgeID, host, line, bind, canRetry](bool ok) {
    if (auto self = weak.lock()) self->finishNudge(nudgeID, ok, host, line, bind, canRetry);
  };

  DelayedWork timeout = services_.queue->postAfter(nudgeTimeout, [finish] { finish(false); });
  nudges_.emplace(nudgeID, Nudge{conn, finished, timeout});

  std::weak_ptr<Connection> weakConn = conn;
  conn->setStateHandler([finish, weakConn, line](ConnectionState state, const std::string&) {
    if (state == ConnectionState::ready) {
      auto c = weakConn.lock();
      if (!c) return;
      c->send(Bytes(line.begin(), line.end()), [finish](std::optional<std::string> error) { finish(!error); });
    } else if (state == ConnectionState::failed || state == ConnectionState::cancelled) {
      finish(false);
    }
  });
  conn->start();
}

void PairingServer::finishNudge(PeerID nudgeID, bool ok, std::string host, std::string line,
                                std::optional<std::string> bindLocal, bool canRetry) {
  auto it = nudges_.find(nudgeID);
  if (it == nudges_.end() || *it->second.finished) return;
  *it->second.finished = true;
  it->second.timeout.cancel();
  it->second.conn->setStateHandler({});
  it->second.conn->cancel();
  nudges_.erase(it);

  if (ok) return;  // the phone is expected to connect back
  if (canRetry && bindLocal && !bindLocal->empty()) {
    attemptNudge(std::move(host), std::move(line), std::nullopt, false);
    return;
  }
  if (!authedPeerID_) setState(LinkState::disconnected("Phone didn't answer \u2014 open Orvane on it and try again"));
}

void PairingServer::recordAddresses(Peer& peer) {
  if (auto remote = peer.conn->remoteEndpoint(); remote && !remote->host.empty()) {
    lastPhoneAddress_ = remote->host;
    services_.defaults->set(lastPhoneAddressKey, remote->host);
  }
  const auto address = lastPhoneAddress_;
  withDelegate([&](PairingServerDelegate& d) { d.serverPhoneAddressChanged(address); });
  if (auto local = peer.conn->localEndpoint(); local && !local->host.empty()) {
    lastLocalAddress_ = local->host;
    services_.defaults->set(lastLocalAddressKey, local->host);
  }
}

}  // namespace orvane
