#include "cli/headless_view.hpp"

#include "wire/json_text.hpp"

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

Event HeadlessView::stateEvent(const BridgeConnection& connection) {
  Event e{{"event", "state"}, {"state", connection.caseName()}, {"title", connection.title()}};
  if (const auto* d = std::get_if<BridgeConnection::Disconnected>(&connection.value)) {
    if (d->detail) e["detail"] = *d->detail;
  } else if (const auto* a = std::get_if<BridgeConnection::AwaitingApproval>(&connection.value)) {
    e["deviceName"] = a->deviceName;
  } else if (const auto* r = std::get_if<BridgeConnection::Reconnecting>(&connection.value)) {
    e["attempt"] = r->attempt;
  } else if (const auto* f = std::get_if<BridgeConnection::Failed>(&connection.value)) {
    e["reason"] = f->reason;
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

nlohmann::ordered_json HeadlessView::mediaFields(const std::optional<BridgeMedia>& media) {
  if (!media) return nullptr;
  return {{"app", media->app},
          {"title", optional(media->title)},
          {"artist", optional(media->artist)},
          {"album", optional(media->album)},
          {"playing", media->isPlaying},
          {"artworkBytes", media->artwork ? nlohmann::ordered_json(media->artwork->size()) : nlohmann::ordered_json(nullptr)}};
}

Event HeadlessView::notificationsEvent(const std::vector<BridgeNotification>& notifications) {
  auto items = nlohmann::ordered_json::array();
  for (const BridgeNotification& n : notifications) {
    items.push_back({{"id", n.id},
                     {"app", n.app},
                     {"title", optional(n.title)},
                     {"text", optional(n.body)},
                     {"time", unixMilliseconds(n.receivedAt)},
                     {"replyable", n.canReply},
                     {"replyResult", optional(n.replyResult)},
                     {"replyDetail", optional(n.replyDetail)}});
  }
  return {{"event", "notifications"}, {"items", std::move(items)}};
}

Event HeadlessView::linksEvent(const std::vector<BridgeLink>& links) {
  auto items = nlohmann::ordered_json::array();
  for (const BridgeLink& l : links) {
    items.push_back({{"id", l.id},
                     {"outgoing", l.outgoing},
                     {"url", l.url},
                     {"acked", optional(l.acked)},
                     {"context", optional(l.context)}});
  }
  return {{"event", "links"}, {"items", std::move(items)}};
}

Event HeadlessView::messagesEvent(const std::vector<BridgeMessage>& messages) {
  auto items = nlohmann::ordered_json::array();
  for (const BridgeMessage& m : messages) {
    items.push_back({{"id", m.id}, {"outgoing", m.outgoing}, {"text", m.text}, {"acked", optional(m.acked)}});
  }
  return {{"event", "messages"}, {"items", std::move(items)}};
}

Event HeadlessView::chatsEvent(const std::vector<ChatConversation>& conversations) {
  auto items = nlohmann::ordered_json::array();
  for (const ChatConversation& c : conversations) {
    auto lines = nlohmann::ordered_json::array();
    for (const ChatMessageLine& m : c.messages) {
      lines.push_back({{"id", m.id},
                       {"text", m.text},
                       {"isOutgoing", m.isOutgoing},
                       {"sentAt", unixSecondsWithFraction(m.sentAt)},
                       {"delivery", ChatMessageLine::nameOf(m.delivery)}});
    }
    items.push_back({{"id", c.id},
                     {"title", c.contact},
                     {"app", c.app},
                     {"updatedAt", unixSecondsWithFraction(c.updatedAt)},
                     {"canReply", c.canReply},
                     {"messages", std::move(lines)}});
  }
  return {{"event", "chats"}, {"items", std::move(items)}};
}

Event HeadlessView::activityEvent(const BridgeActivity& activity) {
  return {{"event", "activity"},
          {"id", activity.id},
          {"kind", BridgeActivity::nameOf(activity.kind)},
          {"direction", BridgeActivity::nameOf(activity.direction)},
          {"summary", activity.summary},
          {"at", unixSecondsWithFraction(activity.at)}};
}

void HeadlessView::observe(DeviceBridgeStore& store, AppState& hub) {
  observeStore(store);
  observeHub(hub);
}

void HeadlessView::printChats(const DeviceBridgeStore& store) { print(chatsEvent(*store.chatConversations)); }

void HeadlessView::observeStore(DeviceBridgeStore& store) {
  subscriptions_.push_back(store.connection.subscribe([this](const BridgeConnection& c) { print(stateEvent(c)); }));
  subscriptions_.push_back(store.device.subscribe([this](const std::optional<BridgeDevice>& device) {
    if (device) {
      print({{"event", "pairedDevice"}, {"name", device->name}, {"id", device->id}});
    } else {
      print({{"event", "pairedDevice"}, {"name", nullptr}, {"id", nullptr}});
    }
  }));
  // The lists are printed as states: a list that changes many times before the output
  // is written is printed once, as it is then (see EventPrinter).
  const std::weak_ptr<const DeviceBridgeStore> weak = store.weak_from_this();
  const auto watchList = [&](auto& list, const char* key, auto toEvent) {
    EventPrinter::StateBuilder build = EventPrinter::stateBuilder([weak, &list, toEvent]() -> std::optional<Event> {
      if (weak.expired()) return std::nullopt;
      return toEvent(*list);
    });
    subscriptions_.push_back(list.subscribe([this, key, build](const auto&) { printer_->printState(key, build); }));
  };
  watchList(store.notifications, "notifications", &notificationsEvent);
  watchList(store.links, "links", &linksEvent);
  watchList(store.messages, "messages", &messagesEvent);
  subscriptions_.push_back(store.phoneStatus.subscribe([this](const PhoneStatus& s) { print(phoneStatusEvent(s)); }));
  subscriptions_.push_back(store.phoneAddress.subscribe([this](const std::optional<std::string>& address) {
    print({{"event", "phoneAddress"}, {"address", optional(address)}});
  }));
  subscriptions_.push_back(store.media.subscribe([this](const std::optional<BridgeMedia>& m) {
    print({{"event", "phoneMedia"}, {"media", mediaFields(m)}});
  }));
  // The computer's track is handed over again every few seconds while it plays, each
  // time received anew: only what a person would see change is printed.
  subscriptions_.push_back(store.macTrack.subscribe([this](const std::optional<BridgeMedia>& track) {
    Event event{{"event", "macTrack"}, {"track", mediaFields(track)}};
    if (event == lastMacTrack_) return;
    lastMacTrack_ = event;
    print(event);
  }));
  subscriptions_.push_back(store.lastMediaDispatch.subscribe([this](const std::optional<MediaKeyPoster::Dispatch>& d) {
    if (d) print({{"event", "mediaDispatch"}, {"result", std::string(MediaKeyPoster::caseName(*d))}});
  }));
  // One event per new history entry; emptying the history or dropping old entries
  // prints nothing.
  if (!store.clipHistory->empty()) lastClipID_ = store.clipHistory->front().id;
  subscriptions_.push_back(store.clipHistory.subscribe([this](const std::vector<ClipEntry>& history) {
    if (history.empty() || history.front().id == lastClipID_) return;
    lastClipID_ = history.front().id;
    print({{"event", "clipboard"}, {"direction", history.front().outgoing ? "sent" : "received"}, {"text", history.front().text}});
  }));
  clipboardSyncShown_ = store.features->clipboard;
  subscriptions_.push_back(store.features.subscribe([this](const FeaturePolicy& f) {
    if (f.clipboard == clipboardSyncShown_) return;
    clipboardSyncShown_ = f.clipboard;
    print({{"event", "clipboardSync"}, {"enabled", f.clipboard}});
  }));
  subscriptions_.push_back(store.deviceAlias.subscribe([this](const std::optional<std::string>& alias) {
    print({{"event", "alias"}, {"alias", optional(alias)}});
  }));
  if (!store.chatConversations->empty()) printChats(store);
  watchList(store.chatConversations, "chats", &chatsEvent);
  subscriptions_.push_back(store.messageArchiveError.subscribeAndPrime([this](const std::optional<std::string>& text) {
    if (text) print({{"event", "archiveError"}, {"text", *text}});
  }));
  // One event per activity recorded; the oldest falling off the log prints nothing.
  if (!store.activities->empty()) lastActivityID_ = store.activities->back().id;
  subscriptions_.push_back(store.activities.subscribe([this](const std::vector<BridgeActivity>& log) {
    std::size_t first = log.size();
    while (first > 0 && log[first - 1].id != lastActivityID_) --first;
    for (std::size_t i = first; i < log.size(); ++i) print(activityEvent(log[i]));
    if (!log.empty()) lastActivityID_ = log.back().id;
  }));
}

void HeadlessView::observeHub(AppState& hub) {
  AppState* h = &hub;  // the subscriptions end before the hub does
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
  subscriptions_.push_back(hub.autoOpenLinks.subscribe([this](bool on) { print({{"event", "autoOpen"}, {"enabled", on}}); }));
  // Known from the start: the clipboard cannot see every copy made elsewhere.
  subscriptions_.push_back(hub.clipboardLimited.subscribeAndPrime([this](const std::optional<std::string>& why) {
    if (why) print({{"event", "clipboardLimited"}, {"reason", *why}});
  }));
  subscriptions_.push_back(hub.staleAuthAttempt.subscribe([this](const std::optional<StaleAuthAttempt>& attempt) {
    if (attempt) print({{"event", "staleAuth"}, {"deviceID", attempt->deviceID}, {"reason", attempt->reason}});
  }));
}

void HeadlessView::notifPosted(const std::string& id, const std::string& app, const std::optional<std::string>& title,
                               const std::optional<std::string>& text, std::int64_t time, bool replyable) {
  // A flood of notifications comes through here: as JSON, the line is written
  // directly, the same bytes the JSON library writes for the event below.
  const auto valid = [](const std::optional<std::string>& s) { return !s || JsonText::isValidUtf8(*s); };
  if (printer_->writesJson() && JsonText::isValidUtf8(id) && JsonText::isValidUtf8(app) && valid(title) &&
      valid(text)) {
    std::string line;
    line.reserve(id.size() + app.size() + (title ? title->size() : 0) + (text ? text->size() : 0) + 112);
    const auto appendOptional = [&line](const std::optional<std::string>& s) {
      if (s) {
        JsonText::appendQuoted(line, *s);
      } else {
        line += "null";
      }
    };
    line += "{\"event\":\"notification\",\"id\":";
    JsonText::appendQuoted(line, id);
    line += ",\"app\":";
    JsonText::appendQuoted(line, app);
    line += ",\"title\":";
    appendOptional(title);
    line += ",\"text\":";
    appendOptional(text);
    line += ",\"time\":" + std::to_string(time) + ",\"replyable\":" + (replyable ? "true" : "false") + "}";
    printer_->printJsonLine(line);
    return;
  }
  print(notificationEvent(id, app, title, text, time, replyable));
}

Event HeadlessView::notificationEvent(const std::string& id, const std::string& app,
                                      const std::optional<std::string>& title, const std::optional<std::string>& text,
                                      std::int64_t time, bool replyable) {
  return {{"event", "notification"}, {"id", id},     {"app", app},          {"title", optional(title)},
          {"text", optional(text)},  {"time", time}, {"replyable", replyable}};
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
