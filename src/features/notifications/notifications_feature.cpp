#include "features/notifications/notifications_feature.hpp"

#include "features/notifications/notif_gate.hpp"
#include "features/notifications/url_gate.hpp"

namespace orvane {

expected<void, std::string> NotificationsFeature::registerRoutes(RouteRegistry& routes) {
  const std::initializer_list<std::pair<const char*, Route::Handler>> rows{
      {"message", [this](const Envelope& e, Peer& p, PeerID) { onMessage(e, p); }},
      {"url_share", [this](const Envelope& e, Peer& p, PeerID) { onUrlShare(e, p); }},
      {"notif_post", [this](const Envelope& e, Peer&, PeerID) { onNotifPost(e); }},
      {"notif_reply_result", [this](const Envelope& e, Peer&, PeerID) { onNotifReplyResult(e); }},
      {"notif_gone", [this](const Envelope& e, Peer&, PeerID) { onNotifGone(e); }},
  };
  for (const auto& [type, handle] : rows) {
    if (auto r = routes.add(type, true, handle); !r) return r;
  }
  return {};
}

void NotificationsFeature::onMessage(const Envelope& envelope, Peer& peer) {
  auto text = envelope.text("text");
  if (!text || text->empty()) {
    link_.send(peer, "error", {{"reason", "empty_message"}});
    return;
  }
  link_.send(peer, "ack", {{"ack_for", envelope.id}});
  observer_.notify([&](NotificationsObserver& o) { o.serverMessageReceived(*text); });
}

void NotificationsFeature::onUrlShare(const Envelope& envelope, Peer& peer) {
  auto url = UrlGate::normalizeUrl(envelope.text("url"));
  if (!url) {
    link_.send(peer, "error", {{"reason", "bad_url"}});
    return;
  }
  auto context = UrlGate::cleanContext(envelope.text("context"));
  auto app = UrlGate::cleanApp(envelope.text("app"));
  link_.send(peer, "ack", {{"ack_for", envelope.id}});
  observer_.notify([&](NotificationsObserver& o) { o.serverUrlReceived(*url, context, app); });
}

void NotificationsFeature::onNotifPost(const Envelope& envelope) {
  auto id = NotifGate::cleanID(envelope.text("id"));
  if (!id) return;
  auto app = NotifGate::cleanApp(envelope.text("app"));
  if (!app) return;
  auto title = NotifGate::cleanField(envelope.text("title"), NotifGate::maxTitleLength);
  auto text = NotifGate::cleanField(envelope.text("text"), NotifGate::maxTextLength);
  if (!title && !text) return;
  const std::int64_t time = NotifGate::cleanTime(envelope.text("time")).value_or(0);
  const bool replyable = envelope.flag("reply");
  observer_.notify([&](NotificationsObserver& o) { o.serverNotifPosted(*id, *app, title, text, time, replyable); });
}

void NotificationsFeature::onNotifReplyResult(const Envelope& envelope) {
  auto id = NotifGate::cleanID(envelope.text("id"));
  if (!id) return;
  const bool ok = envelope.flag("ok");
  auto reason = envelope.text("reason");
  observer_.notify([&](NotificationsObserver& o) { o.serverNotifReplyResult(*id, ok, reason); });
}

void NotificationsFeature::onNotifGone(const Envelope& envelope) {
  auto id = NotifGate::cleanID(envelope.text("id"));
  if (!id) return;
  observer_.notify([&](NotificationsObserver& o) { o.serverNotifGone(*id); });
}

void NotificationsFeature::sendTestMessage(const std::string& text, const std::optional<std::string>& pendingID) {
  sendTracked(Kind::message, "message", {{"text", text}}, pendingID);
}

void NotificationsFeature::sendTestUrl(const std::string& url, const std::optional<std::string>& pendingID) {
  sendTracked(Kind::url, "url_share", {{"url", url}}, pendingID);
}

void NotificationsFeature::sendNotifDismiss(const std::string& id) { link_.sendToSession("notif_dismiss", {{"id", id}}); }

void NotificationsFeature::sendNotifReply(const std::string& id, const std::string& text) {
  link_.sendToSession("notif_reply", {{"id", id}, {"text", text}});
}

void NotificationsFeature::sendTracked(Kind kind, std::string type, Body body, const std::optional<std::string>& pendingID) {
  auto id = link_.sendTracked(std::move(type), std::move(body),
                              [this, kind](const std::string& id, AckOutcome outcome) { report(kind, id, outcome); });
  if (!id) return;
  observer_.notify([&](NotificationsObserver& o) {
    if (kind == Kind::message) {
      o.serverMessageStatus("sent:" + *id, true, pendingID);
    } else {
      o.serverUrlStatus("sent:" + *id, true, pendingID);
    }
  });
}

// The hub tells messages and links apart by id, so the final reports go through both
// callbacks; only a link's time-out skips the message callback.
void NotificationsFeature::report(Kind kind, const std::string& id, AckOutcome outcome) {
  const bool acked = outcome == AckOutcome::acked;
  observer_.notify([&](NotificationsObserver& o) {
    if (outcome != AckOutcome::timedOut || kind == Kind::message) o.serverMessageStatus(id, acked, std::nullopt);
    o.serverUrlStatus(id, acked, std::nullopt);
  });
}

}  // namespace orvane
