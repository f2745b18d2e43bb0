// Messages, links and the phone's notifications: their inbound rows and the
// computer's outbound sends.
#include "features/notifications/notif_gate.hpp"
#include "server/pairing_server.hpp"
#include "features/notifications/url_gate.hpp"

namespace orvane {

std::vector<InboundRoute> PairingServer::notificationRoutes() {
  return {
      {"message", true, &PairingServer::handleMessage},
      {"url_share", true, &PairingServer::handleUrlShare},
      {"notif_post", true, &PairingServer::handleNotifPost},
      {"notif_reply_result", true, &PairingServer::handleNotifReplyResult},
      {"notif_gone", true, &PairingServer::handleNotifGone},
  };
}

void PairingServer::handleMessage(const Envelope& envelope, Peer& peer, PeerID) {
  auto text = envelope.text("text");
  if (!text || text->empty()) {
    send(peer, "error", {{"reason", "empty_message"}});
    return;
  }
  send(peer, "ack", {{"ack_for", envelope.id}});
  withDelegate([&](PairingServerDelegate& d) { d.serverMessageReceived(*text); });
}

void PairingServer::handleUrlShare(const Envelope& envelope, Peer& peer, PeerID) {
  auto url = UrlGate::normalizeUrl(envelope.text("url"));
  if (!url) {
    send(peer, "error", {{"reason", "bad_url"}});
    return;
  }
  auto context = UrlGate::cleanContext(envelope.text("context"));
  auto app = UrlGate::cleanApp(envelope.text("app"));
  send(peer, "ack", {{"ack_for", envelope.id}});
  withDelegate([&](PairingServerDelegate& d) { d.serverUrlReceived(*url, context, app); });
}

void PairingServer::handleNotifPost(const Envelope& envelope, Peer&, PeerID) {
  auto id = NotifGate::cleanID(envelope.text("id"));
  if (!id) return;
  auto app = NotifGate::cleanApp(envelope.text("app"));
  if (!app) return;
  auto title = NotifGate::cleanField(envelope.text("title"), NotifGate::maxTitleLength);
  auto text = NotifGate::cleanField(envelope.text("text"), NotifGate::maxTextLength);
  if (!title && !text) return;
  const std::int64_t time = NotifGate::cleanTime(envelope.text("time")).value_or(0);
  const bool replyable = envelope.flag("reply");
  withDelegate([&](PairingServerDelegate& d) { d.serverNotifPosted(*id, *app, title, text, time, replyable); });
}

void PairingServer::handleNotifReplyResult(const Envelope& envelope, Peer&, PeerID) {
  auto id = NotifGate::cleanID(envelope.text("id"));
  if (!id) return;
  const bool ok = envelope.flag("ok");
  auto reason = envelope.text("reason");
  withDelegate([&](PairingServerDelegate& d) { d.serverNotifReplyResult(*id, ok, reason); });
}

void PairingServer::handleNotifGone(const Envelope& envelope, Peer&, PeerID) {
  auto id = NotifGate::cleanID(envelope.text("id"));
  if (!id) return;
  withDelegate([&](PairingServerDelegate& d) { d.serverNotifGone(*id); });
}

void PairingServer::sendTestMessage(std::string text, std::optional<std::string> pendingID) {
  onQueue([text = std::move(text), pendingID = std::move(pendingID)](PairingServer& s) mutable {
    s.sendTracked(TrackedKind::message, "message", {{"text", std::move(text)}}, std::move(pendingID));
  });
}

void PairingServer::sendTestUrl(std::string url, std::optional<std::string> pendingID) {
  onQueue([url = std::move(url), pendingID = std::move(pendingID)](PairingServer& s) mutable {
    s.sendTracked(TrackedKind::url, "url_share", {{"url", std::move(url)}}, std::move(pendingID));
  });
}

void PairingServer::sendNotifDismiss(std::string id) {
  onQueue([id = std::move(id)](PairingServer& s) mutable { s.sendToSession("notif_dismiss", {{"id", std::move(id)}}); });
}

void PairingServer::sendNotifReply(std::string id, std::string text) {
  onQueue([id = std::move(id), text = std::move(text)](PairingServer& s) mutable {
    s.sendToSession("notif_reply", {{"id", std::move(id)}, {"text", std::move(text)}});
  });
}

}  // namespace orvane
