#include "cli/headless_delegate.hpp"

#include "base/codec.hpp"

namespace orvane::cli {

namespace {
nlohmann::ordered_json optional(const std::optional<std::string>& s) {
  return s ? nlohmann::ordered_json(*s) : nlohmann::ordered_json(nullptr);
}
nlohmann::ordered_json optional(const std::optional<int>& v) {
  return v ? nlohmann::ordered_json(*v) : nlohmann::ordered_json(nullptr);
}
}  // namespace

HeadlessDelegate::HeadlessDelegate(std::shared_ptr<SerialQueue> mainQueue, std::shared_ptr<EventPrinter> printer,
                                   QRSink qrSink)
    : main_(std::move(mainQueue)), printer_(std::move(printer)), qrSink_(std::move(qrSink)) {}

void HeadlessDelegate::publish(Event event, std::optional<QRImage> qr) {
  std::weak_ptr<HeadlessDelegate> weak = weak_from_this();
  main_->post([weak, event = std::move(event), qr = std::move(qr)] {
    auto self = weak.lock();
    if (!self) return;
    if (qr && self->qrSink_) self->qrSink_(*qr);
    self->printer_->print(event, qr);
  });
}

Event HeadlessDelegate::stateEvent(const LinkState& state) {
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

void HeadlessDelegate::serverStateChanged(const LinkState& state) { publish(stateEvent(state)); }

void HeadlessDelegate::serverInvitationChanged(const std::string& qrText, double expiresIn, const std::string& ip,
                                               std::uint16_t port, const std::vector<std::string>& allIPs,
                                               const std::optional<QRImage>& image) {
  publish({{"event", "invitation"}, {"qrText", qrText}, {"expiresIn", expiresIn}, {"ip", ip}, {"port", port}, {"allIPs", allIPs}},
       image);
}

void HeadlessDelegate::serverPendingRequest(const std::string& deviceName, const std::string& deviceID) {
  publish({{"event", "pending"}, {"deviceName", deviceName}, {"deviceID", deviceID}});
}

void HeadlessDelegate::serverPendingCleared() { publish({{"event", "pendingCleared"}}); }

void HeadlessDelegate::serverPairedDeviceChanged(const std::optional<std::string>& name, const std::optional<std::string>& id) {
  publish({{"event", "pairedDevice"}, {"name", optional(name)}, {"id", optional(id)}});
}

void HeadlessDelegate::serverHistoryCleared() { publish({{"event", "historyCleared"}}); }

void HeadlessDelegate::serverMediaChanged(const std::optional<std::string>& app, const std::optional<std::string>& title,
                                          const std::optional<std::string>& artist, const std::optional<std::string>& album,
                                          bool playing, const std::optional<Bytes>& artwork) {
  publish({{"event", "media"},
        {"app", optional(app)},
        {"title", optional(title)},
        {"artist", optional(artist)},
        {"album", optional(album)},
        {"playing", playing},
        {"artworkBytes", artwork ? nlohmann::ordered_json(artwork->size()) : nlohmann::ordered_json(nullptr)}});
}

void HeadlessDelegate::serverPhoneStatusChanged(const PhoneStatus& s) {
  publish({{"event", "phoneStatus"},
        {"battery", optional(s.batteryPercent)},
        {"charging", s.charging},
        {"wifi", s.wifi},
        {"wifiEnabled", s.wifiEnabled},
        {"wifiLevel", optional(s.wifiLevel)},
        {"wifiLabel", s.wifiLabel()},
        {"cellular", s.cellular},
        {"sim", s.simReady},
        {"signal", optional(s.signalLevel)},
        {"bluetooth", s.bluetooth}});
}

void HeadlessDelegate::serverPhoneAddressChanged(const std::optional<std::string>& address) {
  publish({{"event", "phoneAddress"}, {"address", optional(address)}});
}

void HeadlessDelegate::serverNotifPosted(const std::string& id, const std::string& app, const std::optional<std::string>& title,
                                         const std::optional<std::string>& text, std::int64_t time, bool replyable) {
  publish({{"event", "notification"},
        {"id", id},
        {"app", app},
        {"title", optional(title)},
        {"text", optional(text)},
        {"time", time},
        {"replyable", replyable}});
}

void HeadlessDelegate::serverNotifGone(const std::string& id) { publish({{"event", "notificationGone"}, {"id", id}}); }

void HeadlessDelegate::serverNotifReplyResult(const std::string& id, bool ok, const std::optional<std::string>& reason) {
  publish({{"event", "notificationReplyResult"}, {"id", id}, {"ok", ok}, {"reason", optional(reason)}});
}

void HeadlessDelegate::serverClipboardReceived(const std::string& text, const std::string& clipID, const std::string& origin) {
  publish({{"event", "clipboard"}, {"text", text}, {"clipID", clipID}, {"origin", origin}});
}

void HeadlessDelegate::serverMessageReceived(const std::string& text) { publish({{"event", "message"}, {"text", text}}); }

void HeadlessDelegate::serverUrlReceived(const std::string& url, const std::optional<std::string>& context,
                                         const std::optional<std::string>& app) {
  publish({{"event", "url"}, {"url", url}, {"context", optional(context)}, {"app", optional(app)}});
}

void HeadlessDelegate::serverMessageStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) {
  publish({{"event", "messageStatus"}, {"id", id}, {"acked", acked}, {"pendingID", optional(pendingID)}});
}

void HeadlessDelegate::serverUrlStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) {
  publish({{"event", "urlStatus"}, {"id", id}, {"acked", acked}, {"pendingID", optional(pendingID)}});
}

void HeadlessDelegate::serverMediaCommandResult(MediaKeyPoster::Dispatch dispatch) {
  publish({{"event", "mediaCommandResult"}, {"result", std::string(MediaKeyPoster::caseName(dispatch))}});
}

}  // namespace orvane::cli
