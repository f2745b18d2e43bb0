#include "app/store/store_bridge.hpp"

#include <cmath>

#include "app/store/notification_rows.hpp"
#include "base/overloaded.hpp"

namespace orvane {

namespace {

std::int64_t secondsShown(double remaining) {
  if (!std::isfinite(remaining)) return 0;
  // Halves round away from zero; an invitation already expired shows 0.
  return std::max<std::int64_t>(0, std::llround(remaining));
}

std::vector<ClipEntry> clipEntries(const std::vector<ClipHistoryItem>& history) {
  std::vector<ClipEntry> entries;
  entries.reserve(history.size());
  for (const ClipHistoryItem& item : history) entries.push_back({item.id, item.text, item.at, item.outgoing});
  return entries;
}
}  // namespace

std::shared_ptr<StoreBridge> StoreBridge::create(std::shared_ptr<DeviceBridgeStore> store, std::shared_ptr<AppState> app,
                                                 const Clock* clock) {
  std::shared_ptr<StoreBridge> bridge(new StoreBridge(std::move(store), std::move(app), clock));
  bridge->bind();
  bridge->prime();
  bridge->store_->perform = [weak = std::weak_ptr<StoreBridge>(bridge)](const BridgeAction& action) {
    if (auto self = weak.lock()) self->perform(action);
  };
  return bridge;
}

StoreBridge::StoreBridge(std::shared_ptr<DeviceBridgeStore> store, std::shared_ptr<AppState> app, const Clock* clock)
    : store_(std::move(store)), app_(std::move(app)), clock_(clock) {}

template <class T, class F>
void StoreBridge::watch(Published<T>& value, F deliver) {
  subscriptions_.push_back(value.subscribeAndPrime([weak = weak_from_this(), deliver](const T& v) {
    if (auto self = weak.lock()) deliver(*self, v);
  }));
}

void StoreBridge::bind() {
  AppState& hub = *app_;
  watch(hub.linkState, [](StoreBridge& b, const LinkState& s) { b.apply(s); });
  watch(hub.pairedName, [](StoreBridge& b, const std::optional<std::string>& name) { b.showPairedDevice(name, true); });
  watch(hub.pendingName, [](StoreBridge& b, const std::optional<std::string>& v) {
    b.store_->pendingDeviceName = v;
    // The server may say it awaits approval before it names the phone: the connection
    // shown then takes the name as soon as it comes.
    if (v && std::holds_alternative<LinkState::AwaitingApproval>(b.app_->linkState->value)) b.apply(*b.app_->linkState);
  });
  watch(hub.qrImage, [](StoreBridge& b, const std::optional<QRImage>& v) { b.store_->qrImage = v; });
  watch(hub.inviteExpiresIn, [](StoreBridge& b, double v) { b.store_->qrSecondsRemaining = secondsShown(v); });
  watch(hub.listenerIP, [](StoreBridge& b, const std::string& v) { b.store_->localAddress = v; });
  watch(hub.listenerPort, [](StoreBridge& b, std::uint16_t v) { b.store_->localPort = v; });
  watch(hub.phoneAddress, [](StoreBridge& b, const std::optional<std::string>& v) { b.store_->phoneAddress = v; });
  watch(hub.phoneStatus, [](StoreBridge& b, const PhoneStatus& v) { b.store_->phoneStatus = v; });
  watch(hub.clipLastEvent, [](StoreBridge& b, const std::optional<std::string>& v) { b.store_->clipLastEvent = v; });
  watch(hub.clipHistory,
        [](StoreBridge& b, const std::vector<ClipHistoryItem>& history) { b.store_->clipHistory = clipEntries(history); });
  watch(hub.deviceAlias, [](StoreBridge& b, const std::optional<std::string>& v) { b.store_->deviceAlias = v; });
  watch(hub.macTrack, [](StoreBridge& b, const std::optional<MacMediaObserver::Track>& t) {
    if (!t) {
      b.store_->macTrack = std::nullopt;
      return;
    }
    b.store_->macTrack = b.mediaShown(t->app, t->title, t->artist, t->album, t->playing, t->artwork);
  });
  watch(hub.accessibilityTrusted, [](StoreBridge& b, bool v) { b.store_->accessibilityTrusted = v; });
  watch(hub.lastMediaDispatch,
        [](StoreBridge& b, const std::optional<MediaKeyPoster::Dispatch>& v) { b.store_->lastMediaDispatch = v; });
  // The phone's address a second time, as the views were first bound: harmless, since
  // the store ignores a value it already holds.
  watch(hub.phoneAddress, [](StoreBridge& b, const std::optional<std::string>& v) { b.store_->phoneAddress = v; });
  watch(hub.clipboardEnabled, [](StoreBridge& b, bool on) {
    b.store_->features.modify([on](FeaturePolicy& f) { f.clipboard = on; });
  });
  watch(hub.nowPlaying, [](StoreBridge& b, const std::optional<PhoneMedia>& m) {
    if (!m) {
      b.store_->media = std::nullopt;
      return;
    }
    b.store_->media = b.mediaShown(m->app, m->title, m->artist, m->album, m->playing, m->artwork);
  });
  watch(hub.urls, [](StoreBridge& b, const std::vector<UrlLine>& urls) {
    std::vector<BridgeLink> links;
    links.reserve(urls.size());
    for (const UrlLine& u : urls) links.push_back({u.id, u.url, u.outgoing, u.acked, u.context});
    b.store_->links = std::move(links);
  });
  watch(hub.notifs, [](StoreBridge& b, const std::vector<PhoneNotif>& notifs) { b.showNotifications(notifs); });
  watch(hub.lines, [](StoreBridge& b, const std::vector<ChatLine>& lines) {
    std::vector<BridgeMessage> messages;
    messages.reserve(lines.size());
    for (const ChatLine& l : lines) messages.push_back({l.id, l.outgoing, l.text, l.acked});
    b.store_->messages = std::move(messages);
  });
}

void StoreBridge::prime() {
  AppState& hub = *app_;
  DeviceBridgeStore& store = *store_;
  apply(*hub.linkState);
  store.deviceAlias = *hub.deviceAlias;
  store.clipHistory = clipEntries(*hub.clipHistory);
  store.localAddress = *hub.listenerIP;
  store.localPort = *hub.listenerPort;
  store.phoneAddress = *hub.phoneAddress;
  store.phoneStatus = *hub.phoneStatus;
  store.features.modify([on = *hub.clipboardEnabled](FeaturePolicy& f) { f.clipboard = on; });
  store.qrImage = *hub.qrImage;
  if (hub.pairedName->has_value()) showPairedDevice(*hub.pairedName, false);
  store.pendingDeviceName = *hub.pendingName;
}

void StoreBridge::apply(const LinkState& state) {
  const BridgeConnection shown = std::visit(
      Overloaded{
          [](const LinkState::Disconnected& d) { return BridgeConnection::disconnected(d.detail); },
          [](const LinkState::Reconnecting& r) { return BridgeConnection::reconnecting(r.attempt); },
          [](const LinkState::Error& e) { return BridgeConnection::failed(e.text); },
          [](const LinkState::Connecting&) { return BridgeConnection::connecting(); },
          [this](const LinkState::AwaitingApproval&) {
            return BridgeConnection::awaitingApproval(app_->pendingName->value_or("Phone"));
          },
          [](const LinkState::Connected&) { return BridgeConnection::connected(); },
      },
      state.value);
  store_->connection = shown;
}

void StoreBridge::showPairedDevice(const std::optional<std::string>& name, bool keepBattery) {
  DeviceBridgeStore& store = *store_;
  if (!name) {
    store.device = std::nullopt;
    store.pairing = DeviceBridgeStore::PairingStatus::none;
    store.deviceAlias = std::nullopt;
    return;
  }
  BridgeDevice device;
  device.id = app_->pairedID->value_or("paired");
  device.name = *name;
  device.model = *name;
  if (keepBattery && store.device->has_value()) device.batteryLevel = (*store.device)->batteryLevel;
  device.isCharging = false;
  device.lastSeen = clock_->wallNow();
  store.device = std::move(device);
  store.pairing = DeviceBridgeStore::PairingStatus::paired;
  store.deviceAlias = *app_->deviceAlias;
}

void StoreBridge::showNotifications(const std::vector<PhoneNotif>& notifs) {
  DeviceBridgeStore& store = *store_;
  std::vector<std::size_t>& changedRows = changedRows_;
  changedRows.clear();
  store.notifications.update(
      [&](std::vector<BridgeNotification>& rows) { return mirrorNotifications(rows, notifs, changedRows); });
  // The chats are offered every notification again when something else changed them
  // since the last offer (a reply, clearing); otherwise only those new or changed: the
  // rest were offered to these very chats already, and offering one again changes
  // nothing.
  const auto& rows = *store.notifications;
  if (*store.messageArchiveRevision != offeredAtRevision_) {
    for (const BridgeNotification& row : rows) store.ingestMessageNotification(row);
  } else {
    for (std::size_t index : changedRows) store.ingestMessageNotification(rows[index]);
  }
  offeredAtRevision_ = *store.messageArchiveRevision;
  for (const PhoneNotif& n : notifs) {
    if (n.replyResult) store.updateChatReplyStatus(n.id, *n.replyResult);
  }
}

BridgeMedia StoreBridge::mediaShown(const std::string& app, const std::optional<std::string>& title,
                                    const std::optional<std::string>& artist, const std::optional<std::string>& album,
                                    bool playing, const std::optional<Bytes>& artwork) const {
  return {app, title, artist, album, playing, std::nullopt, artwork, clock_->wallNow()};
}

void StoreBridge::perform(const BridgeAction& action) {
  AppState& hub = *app_;
  std::visit(Overloaded{
                 [&](const BridgeAction::SetClipboard& a) { hub.setClipboard(a.enabled); },
                 [&](const BridgeAction::Media& a) { hub.sendMediaCommand(a.command); },
                 [&](const BridgeAction::DismissNotification& a) { hub.dismissNotif(a.id); },
                 [&](const BridgeAction::SendMessage& a) { hub.send(a.text); },
                 [&](const BridgeAction::ReplyNotification& a) { hub.replyNotif(a.id, a.text); },
                 [&](const BridgeAction::SendLink& a) { hub.sendUrl(a.url); },
                 [&](const BridgeAction::RenameDevice& a) { hub.renameDevice(a.name); },
                 [&](const BridgeAction::Connect&) { hub.reconnectNow(); },
                 [&](const BridgeAction::Disconnect&) { hub.disconnectSession(); },
                 [&](const BridgeAction::Forget&) { hub.forget(); },
                 [&](const BridgeAction::Approve&) { hub.approvePending(); },
                 [&](const BridgeAction::Deny&) { hub.denyPending(); },
                 [&](const BridgeAction::RegenerateInvite&) { hub.regenerateInvitation(); },
                 [&](const BridgeAction::MarkNotificationsRead&) {},
                 [&](const BridgeAction::OpenAccessibilitySettings&) { hub.openAccessibilitySettings(); },
                 [&](const BridgeAction::ClearClipHistory&) { hub.clearClipHistory(); },
                 [&](const BridgeAction::ShowCountdown& a) {
                   if (a.shown) {
                     countdownDemands_.push_back(hub.showCountdown());
                   } else if (!countdownDemands_.empty()) {
                     countdownDemands_.pop_back();
                   }
                 },
             },
             action.value);
}

}  // namespace orvane
