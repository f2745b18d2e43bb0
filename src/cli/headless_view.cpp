#include "cli/headless_view.hpp"

namespace orvane::cli {

namespace {
template <class T>
nlohmann::ordered_json optional(const std::optional<T>& v) {
  return v ? nlohmann::ordered_json(*v) : nlohmann::ordered_json(nullptr);
}
}  // namespace

HeadlessView::HeadlessView(std::shared_ptr<EventPrinter> printer, QRSink qrSink)
    : printer_(std::move(printer)), qrSink_(std::move(qrSink)) {}

void HeadlessView::print(const Event& event, const std::optional<QRImage>& qr) {
  if (qr && qrSink_) qrSink_(*qr);
  printer_->print(event, qr);
}

Event HeadlessView::stateEvent(const LinkState& state) {
  Event e{{"event", "state"}, {"state", state.caseName()}, {"title", state.title()}};
  if (const auto* d = std::get_if<LinkState::Disconnected>(&state.value)) {
    if (d->detail) e["detail"] = *d->detail;
  } else if (const auto* err = std::get_if<LinkState::Error>(&state.value)) {
    e["text"] = err->text;
  } else if (const auto* r = std::get_if<LinkState::Reconnecting>(&state.value)) {
    e["attempt"] = r->attempt;
  }
  return e;
}

Event HeadlessView::phoneStatusEvent(const PhoneStatus& s) {
  return {{"event", "phoneStatus"},
          {"battery", optional(s.batteryPercent)},
          {"charging", s.charging},
          {"wifi", s.wifi},
          {"wifiEnabled", s.wifiEnabled},
          {"wifiLevel", optional(s.wifiLevel)},
          {"wifiLabel", s.wifiLabel()},
          {"cellular", s.cellular},
          {"sim", s.simReady},
          {"signal", optional(s.signalLevel)},
          {"bluetooth", s.bluetooth},
          {"updatedAt", unixSeconds(s.updatedAt)}};
}

Event HeadlessView::mediaEvent(const std::optional<PhoneMedia>& media) {
  if (!media) {
    return {{"event", "media"}, {"app", nullptr},     {"title", nullptr},       {"artist", nullptr},
            {"album", nullptr}, {"playing", false},   {"artworkBytes", nullptr}};
  }
  return {{"event", "media"},
          {"app", media->app},
          {"title", optional(media->title)},
          {"artist", optional(media->artist)},
          {"album", optional(media->album)},
          {"playing", media->playing},
          {"artworkBytes", media->artwork ? nlohmann::ordered_json(media->artwork->size()) : nlohmann::ordered_json(nullptr)}};
}

Event HeadlessView::notificationsEvent(const std::vector<PhoneNotif>& notifs) {
  auto items = nlohmann::ordered_json::array();
  for (const PhoneNotif& n : notifs) {
    items.push_back({{"id", n.id},
                     {"app", n.app},
                     {"title", optional(n.title)},
                     {"text", optional(n.text)},
                     {"time", n.time},
                     {"replyable", n.replyable},
                     {"replyResult", optional(n.replyResult)},
                     {"replyDetail", optional(n.replyDetail)}});
  }
  return {{"event", "notifications"}, {"items", std::move(items)}};
}

Event HeadlessView::linksEvent(const std::vector<UrlLine>& urls) {
  auto items = nlohmann::ordered_json::array();
  for (const UrlLine& l : urls) {
    items.push_back({{"id", l.id},
                     {"outgoing", l.outgoing},
                     {"url", l.url},
                     {"acked", optional(l.acked)},
                     {"context", optional(l.context)},
                     {"app", optional(l.app)}});
  }
  return {{"event", "links"}, {"items", std::move(items)}};
}

Event HeadlessView::messagesEvent(const std::vector<ChatLine>& lines) {
  auto items = nlohmann::ordered_json::array();
  for (const ChatLine& l : lines) {
    items.push_back({{"id", l.id}, {"outgoing", l.outgoing}, {"text", l.text}, {"acked", optional(l.acked)}});
  }
  return {{"event", "messages"}, {"items", std::move(items)}};
}

void HeadlessView::observe(AppState& hub) {
  AppState* h = &hub;  // the subscriptions end before the hub does
  subscriptions_.push_back(hub.linkState.subscribe([this](const LinkState& s) { print(stateEvent(s)); }));
  // An invitation assigns its fields in a fixed order, the addresses last: by then the
  // others hold the new invitation.
  subscriptions_.push_back(hub.allIPs.subscribe([this, h](const std::vector<std::string>& ips) {
    print({{"event", "invitation"},
           {"qrText", *h->lastQRText},
           {"expiresIn", *h->inviteExpiresIn},
           {"ip", *h->listenerIP},
           {"port", *h->listenerPort},
           {"allIPs", ips}},
          *h->qrImage);
  }));
  // The id is assigned after the name.
  subscriptions_.push_back(hub.pendingID.subscribe([this, h](const std::optional<std::string>& id) {
    if (id) {
      print({{"event", "pending"}, {"deviceName", h->pendingName->value_or("")}, {"deviceID", *id}});
    } else {
      print({{"event", "pendingCleared"}});
    }
  }));
  subscriptions_.push_back(hub.pairedID.subscribe([this, h](const std::optional<std::string>& id) {
    print({{"event", "pairedDevice"}, {"name", optional(*h->pairedName)}, {"id", optional(id)}});
  }));
  subscriptions_.push_back(hub.notifs.subscribe([this](const std::vector<PhoneNotif>& n) { print(notificationsEvent(n)); }));
  subscriptions_.push_back(hub.urls.subscribe([this](const std::vector<UrlLine>& u) { print(linksEvent(u)); }));
  subscriptions_.push_back(hub.lines.subscribe([this](const std::vector<ChatLine>& l) { print(messagesEvent(l)); }));
  subscriptions_.push_back(hub.autoOpenLinks.subscribe([this](bool on) { print({{"event", "autoOpen"}, {"enabled", on}}); }));
  subscriptions_.push_back(hub.phoneStatus.subscribe([this](const PhoneStatus& s) { print(phoneStatusEvent(s)); }));
  subscriptions_.push_back(hub.phoneAddress.subscribe([this](const std::optional<std::string>& address) {
    print({{"event", "phoneAddress"}, {"address", optional(address)}});
  }));
  subscriptions_.push_back(hub.nowPlaying.subscribe([this](const std::optional<PhoneMedia>& m) { print(mediaEvent(m)); }));
  subscriptions_.push_back(hub.lastMediaDispatch.subscribe([this](const std::optional<MediaKeyPoster::Dispatch>& d) {
    if (d) print({{"event", "mediaCommandResult"}, {"result", std::string(MediaKeyPoster::caseName(*d))}});
  }));
  // One event per new history entry; emptying the history or dropping old entries
  // prints nothing.
  if (!hub.clipHistory->empty()) lastClipID_ = hub.clipHistory->front().id;
  subscriptions_.push_back(hub.clipHistory.subscribe([this](const std::vector<ClipHistoryItem>& history) {
    if (history.empty() || history.front().id == lastClipID_) return;
    lastClipID_ = history.front().id;
    print({{"event", "clipboard"},
           {"direction", history.front().outgoing ? "sent" : "received"},
           {"text", history.front().text}});
  }));
  subscriptions_.push_back(hub.clipboardEnabled.subscribe([this](bool on) {
    print({{"event", "clipboardSync"}, {"enabled", on}});
  }));
  // Known from the start: the clipboard cannot see every copy made elsewhere.
  subscriptions_.push_back(hub.clipboardLimited.subscribeAndPrime([this](const std::optional<std::string>& why) {
    if (why) print({{"event", "clipboardLimited"}, {"reason", *why}});
  }));
  subscriptions_.push_back(hub.deviceAlias.subscribe([this](const std::optional<std::string>& alias) {
    print({{"event", "alias"}, {"alias", optional(alias)}});
  }));
  subscriptions_.push_back(hub.staleAuthAttempt.subscribe([this](const std::optional<StaleAuthAttempt>& attempt) {
    if (attempt) print({{"event", "staleAuth"}, {"deviceID", attempt->deviceID}, {"reason", attempt->reason}});
  }));
}

void HeadlessView::notifPosted(const std::string& id, const std::string& app, const std::optional<std::string>& title,
                               const std::optional<std::string>& text, std::int64_t time, bool replyable) {
  print({{"event", "notification"},
         {"id", id},
         {"app", app},
         {"title", optional(title)},
         {"text", optional(text)},
         {"time", time},
         {"replyable", replyable}});
}

void HeadlessView::notifGone(const std::string& id) { print({{"event", "notificationGone"}, {"id", id}}); }

void HeadlessView::notifReplyResult(const std::string& id, bool ok, const std::optional<std::string>& reason) {
  print({{"event", "notificationReplyResult"}, {"id", id}, {"ok", ok}, {"reason", optional(reason)}});
}

void HeadlessView::messageReceived(const std::string& text) { print({{"event", "message"}, {"text", text}}); }

void HeadlessView::urlReceived(const std::string& url, const std::optional<std::string>& context,
                               const std::optional<std::string>& app) {
  print({{"event", "url"}, {"url", url}, {"context", optional(context)}, {"app", optional(app)}});
}

void HeadlessView::messageStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) {
  print({{"event", "messageStatus"}, {"id", id}, {"acked", acked}, {"pendingID", optional(pendingID)}});
}

void HeadlessView::urlStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) {
  print({{"event", "urlStatus"}, {"id", id}, {"acked", acked}, {"pendingID", optional(pendingID)}});
}

void HeadlessView::historyCleared() { print({{"event", "historyCleared"}}); }

void HeadlessView::replyRequested(const std::string& id) { print({{"event", "replyRequested"}, {"id", id}}); }

void HeadlessView::wakeChecked(bool reconnecting) { print({{"event", "woke"}, {"reconnect", reconnecting}}); }

}  // namespace orvane::cli
