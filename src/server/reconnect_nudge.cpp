#include "server/reconnect_nudge.hpp"

#include "pairing/nudge_protocol.hpp"

namespace orvane {

ReconnectNudge::ReconnectNudge(LinkCore& link, std::shared_ptr<Transport> transport, std::shared_ptr<UserDefaults> defaults)
    : link_(link),
      transport_(std::move(transport)),
      defaults_(std::move(defaults)),
      client_(std::make_shared<NudgeClient>(link.queue(), transport_, timeout)) {}

void ReconnectNudge::loadAddresses() {
  lastPhoneAddress_ = defaults_->string(lastPhoneAddressKey);
  lastLocalAddress_ = defaults_->string(lastLocalAddressKey);
}

void ReconnectNudge::request(const std::optional<PairedDevice>& paired) {
  if (!paired || link_.hasSession()) return;
  if (!lastPhoneAddress_ || lastPhoneAddress_->empty()) {
    link_.setState(LinkState::disconnected("Reconnect once from your phone \u2014 no address known yet"));
    return;
  }
  auto line = NudgeProtocol::line(paired->deviceID, unixSeconds(link_.wallNow()), paired->tokenHashB64);
  if (!line) {
    link_.setState(LinkState::disconnected("Pairing record is invalid \u2014 scan a new QR code"));
    return;
  }
  link_.setState(LinkState::disconnected("Asking your phone to reconnect\u2026"));
  attempt(*lastPhoneAddress_, *line + "\n", lastLocalAddress_, true);
}

void ReconnectNudge::attempt(const std::string& host, const std::string& line, std::optional<std::string> bindLocal,
                             bool canRetry) {
  if (bindLocal && bindLocal->empty()) bindLocal.reset();
  client_->send(host, NudgeProtocol::port, line, bindLocal,
                [this, owner = link_.ownerToken(), host, line, bindLocal, canRetry](bool delivered) {
    const auto held = owner.lock();
    if (!held || delivered) return;  // gone; or the phone is expected to connect back
    // The remembered local address may belong to a network this computer left: one
    // more try from whatever address the system picks.
    if (canRetry && bindLocal) {
      attempt(host, line, std::nullopt, false);
      return;
    }
    if (!link_.hasSession()) {
      link_.setState(LinkState::disconnected("Phone didn't answer \u2014 open Orvane on it and try again"));
    }
  });
}

void ReconnectNudge::recordAddresses(Peer& peer) {
  if (auto remote = peer.conn->remoteEndpoint(); remote && !remote->host.empty()) {
    lastPhoneAddress_ = remote->host;
    defaults_->set(lastPhoneAddressKey, remote->host);
  }
  const auto address = lastPhoneAddress_;
  observer_.notify([&](PairingObserver& o) { o.serverPhoneAddressChanged(address); });
  if (auto local = peer.conn->localEndpoint(); local && !local->host.empty()) {
    lastLocalAddress_ = local->host;
    defaults_->set(lastLocalAddressKey, local->host);
  }
}

void ReconnectNudge::cancelAll() { client_ = std::make_shared<NudgeClient>(link_.queue(), transport_, timeout); }

}  // namespace orvane
