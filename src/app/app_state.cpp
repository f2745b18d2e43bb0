#include "app/app_state.hpp"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/delivery_status.hpp"
#include "app/link_opening.hpp"
#include "base/crypto.hpp"
#include "base/text.hpp"
#include "features/clipboard/clipboard_gate.hpp"
#include "features/notifications/url_gate.hpp"

namespace orvane {

namespace keys {
constexpr const char* deviceAlias = "orvane.device.alias";
constexpr const char* autoOpenLinks = "orvane.links.autoOpen";
constexpr const char* macDeviceID = "zel.macDeviceID";
constexpr const char* clipboardEnabled = "zel.clipboard.sync.enabled";
}  // namespace keys

namespace banner {
constexpr const char* notifPrefix = "zel-notif-";
constexpr const char* notifCategory = "zel.notif";
constexpr const char* replyCategory = "zel.notif.reply";
constexpr const char* urlCategory = "zel.url";
constexpr const char* dismissAction = "zel.notif.dismiss";
constexpr const char* replyAction = "zel.notif.replyinput";
constexpr const char* openAction = "zel.url.open";
constexpr const char* copyAction = "zel.url.copy";

std::vector<NotificationCategory> categories() {
  using Kind = NotificationAction::Kind;
  const NotificationAction dismiss{dismissAction, "Dismiss", Kind::destructive, false, "", ""};
  const NotificationAction reply{replyAction, "Reply", Kind::textInput, true, "Send", "Reply\u2026"};
  return {
      {urlCategory, {{openAction, "Open", Kind::plain, true, "", ""}, {copyAction, "Copy", Kind::plain, true, "", ""}}},
      {notifCategory, {dismiss}},
      {replyCategory, {dismiss, reply}},
  };
}
}  // namespace banner

namespace {
// The Messages app of the phone, whose banners the open Messages tab makes redundant.
bool isMessagesApp(const std::string& app) { return text::asciiLower(text::trim(app)) == "messages"; }
}  // namespace

std::shared_ptr<AppState> AppState::create(AppStateServices services, bool startNow) {
  // The hub and the desktop adapters it owns belong to the thread that made it. The
  // server's queue holds it for a moment now and then (a callback, the wait for
  // serverMacIsPlaying); should the last reference end there, the hub is handed back to
  // its own thread to be destroyed.
  const std::thread::id home = std::this_thread::get_id();
  std::shared_ptr<AppState> hub(new AppState(std::move(services), startNow), [home](AppState* doomed) {
    if (std::this_thread::get_id() == home) {
      delete doomed;
      return;
    }
    auto queue = doomed->services_.main;
    queue->post([doomed] { delete doomed; });
  });
  hub->construct();
  return hub;
}

AppState::AppState(AppStateServices services, bool startNow)
    : services_(std::move(services)),
      toMain_(BatchingPoster::create(services_.main)),
      log_(services_.log, "hub"),
      startNow_(startNow) {
  accessibilityTrusted = readTrust();
  lastChangeCount_ = services_.pasteboard->changeCount();
  macDeviceID_ = loadOrCreateMacDeviceID();
}

AppState::~AppState() {
  toMain_->close();
  countdownTick_.cancel();
}

void AppState::construct() {
  auto& server = *services_.server;
  server.setDelegate(weak_from_this());

  auto& defaults = *services_.defaults;
  clipboardEnabled = defaults.boolOrFalse(keys::clipboardEnabled);
  // Only a stored bool counts; anything else (or nothing) leaves links opening by themselves.
  autoOpenLinks = defaults.boolean(keys::autoOpenLinks).value_or(true);
  deviceAlias = defaults.string(keys::deviceAlias);

  if (startNow_) server.start();

  server.setClipboardEnabled(*clipboardEnabled);
  // Whatever was copied before launch is never sent.
  lastChangeCount_ = services_.pasteboard->changeCount();
  if (auto limitation = services_.pasteboard->limitation()) {
    log_.info(*limitation);
    clipboardLimited = limitation;
  }

  // The invitation's countdown keeps to whole seconds from now, whether or not anyone
  // shows it; a new invitation comes only from the server or the user.
  countdownOrigin_ = services_.clock->now();

  if (services_.notifications) {
    services_.notifications->setResponseHandler([weak = weak_from_this()](const NotificationResponse& response) {
      if (auto self = weak.lock()) self->handleNotificationResponse(response);
    });
  }

  if (services_.macMedia) {
    std::weak_ptr<AppState> weak = weak_from_this();
    services_.macMedia->setHandlers(
        [weak](const std::optional<MacMediaObserver::Track>& track) {
          auto self = weak.lock();
          if (!self) return;
          self->macTrack = track;
          self->macTrackUpdatedAt = self->services_.clock->wallNow();
          if (!track) {
            self->services_.server->sendMacMedia(std::nullopt, std::nullopt, std::nullopt, std::nullopt, false,
                                                 std::nullopt);
            return;
          }
          self->services_.server->sendMacMedia(track->app, track->title, track->artist, track->album, track->playing,
                                               track->renditions);
        },
        [weak] {
          auto self = weak.lock();
          if (!self) return;
          self->macTrack = std::nullopt;
          self->macTrackUpdatedAt = WallTime{};
          self->services_.server->sendMacMediaUnavailable();
        });
    services_.macMedia->refresh();
  }

  if (services_.notifications) services_.notifications->setCategories(banner::categories());
  // The pasteboard's poll waits for the link, which starts down (see updateClipPoll).

  if (services_.wake) {
    services_.wake->setHandler([weak = weak_from_this()] {
      if (auto self = weak.lock()) self->onMainAfter(wakeCheckDelay, [](AppState& hub) { hub.handleWake(); });
    });
  }
}

std::string AppState::loadOrCreateMacDeviceID() {
  if (auto stored = services_.defaults->string(keys::macDeviceID)) return *stored;
  std::string created = crypto::uuidString();
  services_.defaults->set(keys::macDeviceID, created);
  return created;
}

bool AppState::readTrust() const { return services_.workspace && services_.workspace->isProcessTrusted(); }

// ---- the invitation's countdown ----

void AppState::CountdownDemand::release() {
  if (auto hub = std::exchange(hub_, {}).lock()) hub->endCountdownDemand();
}

AppState::CountdownDemand AppState::showCountdown() {
  // Once the hub shuts down the countdown stays where it stopped.
  if (countdownDemands_++ == 0 && !shutDown_) {
    scheduleCountdownTick();
    catchUpCountdown();
  }
  return CountdownDemand(weak_from_this());
}

void AppState::endCountdownDemand() {
  if (countdownDemands_ == 0) return;
  if (--countdownDemands_ == 0) countdownTick_.cancel();
}

std::int64_t AppState::countdownTicksDue() const {
  return (services_.clock->now() - countdownOrigin_) / countdownInterval;
}

void AppState::catchUpCountdown() {
  const std::int64_t due = countdownTicksDue();
  // One subtraction per tick, as the ticks would have made them: the value ends on the
  // very same double.
  double remaining = *inviteExpiresIn;
  bool changed = false;
  for (std::int64_t tick = countdownTicksAccounted_; tick < due && remaining > 0; ++tick) {
    remaining -= 1;
    changed = true;
  }
  countdownTicksAccounted_ = due;
  if (changed) inviteExpiresIn = remaining;
}

void AppState::scheduleCountdownTick() {
  if (shutDown_) return;
  const SteadyTime next = countdownOrigin_ + (countdownTicksDue() + 1) * countdownInterval;
  countdownTick_ = services_.main->postAfter(next - services_.clock->now(), [weak = weak_from_this()] {
    auto self = weak.lock();
    if (!self || self->countdownDemands_ == 0) return;
    // The next tick first, so that a watcher of the value that ends the last demand
    // cancels it.
    self->scheduleCountdownTick();
    self->catchUpCountdown();
  });
}

// ---- user operations ----

void AppState::startServer() { services_.server->start(); }

void AppState::renameDevice(const std::string& name) {
  const std::string trimmed = text::trim(name);
  if (trimmed.empty()) {
    deviceAlias = std::nullopt;
    services_.defaults->remove(keys::deviceAlias);
    return;
  }
  std::string alias = text::prefixGraphemes(trimmed, maxAliasCharacters);
  services_.defaults->set(keys::deviceAlias, alias);
  deviceAlias = std::move(alias);
}

void AppState::forget() {
  deviceAlias = std::nullopt;
  services_.defaults->remove(keys::deviceAlias);
  services_.server->forgetPaired();
}

void AppState::openAccessibilitySettings() {
  if (services_.workspace) services_.workspace->openAccessibilitySettings();
  if (const bool trusted = readTrust(); trusted != *accessibilityTrusted) accessibilityTrusted = trusted;
}

void AppState::setMessagesTabVisibleAndActive(bool visibleAndActive) {
  if (visibleAndActive == suppressMessagesAppNotifications_) return;
  suppressMessagesAppNotifications_ = visibleAndActive;
  if (!visibleAndActive || !services_.notifications) return;
  // The open tab shows these messages already: their banners go.
  std::vector<std::string> withdrawn;
  for (const PhoneNotif& n : *notifs)
    if (isMessagesApp(n.app)) withdrawn.push_back(banner::notifPrefix + n.id);
  if (!withdrawn.empty()) services_.notifications->remove(withdrawn);
}

void AppState::setAutoOpenLinks(bool enabled) {
  autoOpenLinks = enabled;
  services_.defaults->set(keys::autoOpenLinks, enabled);
}

// ---- notifications, links, messages ----

void AppState::dismissNotif(const std::string& id) {
  if (!linkState->isConnected()) return;
  services_.server->sendNotifDismiss(id);
  auto list = *notifs;
  std::erase_if(list, [&](const PhoneNotif& n) { return n.id == id; });
  notifs = std::move(list);
}

void AppState::replyNotif(const std::string& id, const std::string& raw) {
  const std::string text = text::trim(raw);
  if (text.empty()) return;
  // A new reply starts without the outcome of the one before it: that outcome would
  // otherwise be taken for this one's (a chat line marked sent that never went out).
  forgetReplyOutcome(id);
  if (text::longerThan(text, maxTextCharacters)) return;
  if (linkState->isConnected()) {
    services_.server->sendNotifReply(id, text);
    return;
  }
  auto list = *notifs;
  auto it = std::find_if(list.begin(), list.end(), [&](const PhoneNotif& n) { return n.id == id; });
  if (it == list.end()) return;
  it->replyResult = false;
  it->replyDetail = "offline";
  revise(*it);
  notifs = std::move(list);
}

void AppState::forgetReplyOutcome(const std::string& id) {
  notifs.update([&](std::vector<PhoneNotif>& list) {
    auto it = std::find_if(list.begin(), list.end(), [&](const PhoneNotif& n) { return n.id == id; });
    if (it == list.end() || (!it->replyResult && !it->replyDetail)) return false;
    it->replyResult = std::nullopt;
    it->replyDetail = std::nullopt;
    revise(*it);
    return true;
  });
}

void AppState::sendUrl(const std::string& raw) {
  auto url = UrlGate::normalizeUrl(raw);
  if (!url || url->empty() || !linkState->isConnected()) return;
  std::string pendingID = std::string(DeliveryStatus::pendingPrefix) + crypto::uuidString();
  services_.server->sendTestUrl(*url, pendingID);
  auto list = *urls;
  list.push_back(UrlLine{std::move(pendingID), true, *url, std::nullopt, std::nullopt, std::nullopt});
  DeliveryStatus::keepLast(list, maxUrls);
  urls = std::move(list);
}

void AppState::send(const std::string& raw) {
  const std::string text = text::trim(raw);
  if (text.empty() || text::longerThan(text, maxTextCharacters) || !linkState->isConnected()) return;
  std::string pendingID = std::string(DeliveryStatus::pendingPrefix) + crypto::uuidString();
  services_.server->sendTestMessage(text, pendingID);
  auto list = *lines;
  list.push_back(ChatLine{std::move(pendingID), true, text, std::nullopt});
  lines = std::move(list);
}

void AppState::sendMediaCommand(const std::string& word) {
  if (!linkState->isConnected()) return;
  services_.server->sendMediaCommand(word);
}

void AppState::askNotificationPermissionOnce() {
  if (urlNotifyAsked_) return;
  urlNotifyAsked_ = true;
  services_.notifications->requestAuthorization();
}

void AppState::postPhoneNotifBanner(const PhoneNotif& notif) {
  if (!services_.notifications) return;
  askNotificationPermissionOnce();
  NotificationRequest request;
  request.identifier = banner::notifPrefix + notif.id;
  request.title = notif.app;
  if (notif.title && !notif.title->empty()) request.subtitle = notif.title;
  if (notif.text && !notif.text->empty()) request.body = notif.text;
  request.category = notif.replyable ? banner::replyCategory : banner::notifCategory;
  request.userInfo = {{"notif_id", notif.id}};
  services_.notifications->add(request);
}

void AppState::postUrlNotification(const std::string& url, const std::optional<std::string>& context,
                                   const std::optional<std::string>& app) {
  if (!services_.notifications) return;
  askNotificationPermissionOnce();
  NotificationRequest request;
  request.identifier = crypto::uuidString();
  request.title = LinkOpening::bannerTitle(url, app);
  if (context && !context->empty()) request.subtitle = context;
  request.body = url;
  request.category = banner::urlCategory;
  request.userInfo = {{"url", url}};
  services_.notifications->add(request);
}

void AppState::openReceivedUrl(const std::string& url, const std::optional<std::string>& context,
                               const std::optional<std::string>& app) {
  if (*autoOpenLinks && services_.workspace) {
    if (auto openable = LinkOpening::autoOpenable(url); openable && services_.workspace->openURL(*openable)) return;
  }
  postUrlNotification(url, context, app);
}

void AppState::handleNotificationResponse(const NotificationResponse& response) {
  const auto& info = response.userInfo;
  if (auto notif = info.find("notif_id"); notif != info.end()) {
    const std::string& id = notif->second;
    if (response.actionIdentifier == banner::dismissAction) {
      dismissNotif(id);
    } else if (response.actionIdentifier == banner::replyAction) {
      if (response.typedText) {
        replyNotif(id, *response.typedText);
      } else {
        // The desktop's banners cannot take the text in place: the window asks for it.
        tellListener([&](AppStateEvents& e) { e.replyRequested(id); });
      }
    }
    return;
  }
  const auto found = info.find("url");
  const std::string url = found == info.end() ? std::string() : found->second;
  if (url.empty()) return;
  if (response.actionIdentifier == banner::copyAction) {
    services_.pasteboard->setString(url);
    // The copied link is not news for the clipboard sync: it came from the phone.
    lastChangeCount_ = services_.pasteboard->changeCount();
  } else if (response.actionIdentifier == banner::openAction ||
             response.actionIdentifier == NotificationResponse::defaultAction) {
    if (LinkOpening::parses(url) && services_.workspace) services_.workspace->openURL(url);
  }
}

void AppState::setClipboard(bool enabled) {
  // The server hears it first: whoever sees the switch turn and acts on it (a view, a
  // script driving the headless program) finds the server already following it.
  services_.server->setClipboardEnabled(enabled);
  services_.defaults->set(keys::clipboardEnabled, enabled);
  clipboardEnabled = enabled;
  // What is on the pasteboard when the switch is turned on is not sent.
  lastChangeCount_ = services_.pasteboard->changeCount();
  // A watcher that died while the switch was off is reported now.
  if (enabled) checkPasteboardLimitation();
  updateClipPoll();
}

void AppState::clearClipHistory() { clipHistory = std::vector<ClipHistoryItem>{}; }

void AppState::copyToPasteboard(const std::string& text) { services_.pasteboard->setString(text); }

void AppState::approvePending() { services_.server->approvePending(); }
void AppState::denyPending() { services_.server->denyPending(); }
void AppState::regenerateInvitation() { services_.server->regenerateInvitation(); }
void AppState::disconnectSession() { services_.server->disconnectSession(); }
void AppState::reconnectNow() {
  if (shutDown_) return;
  services_.server->restart();
  services_.server->requestPhoneReconnect();
}
void AppState::shutdown(std::function<void()> done) {
  // Nothing may start the server again once it is closing.
  shutDown_ = true;
  countdownTick_.cancel();
  clipPoll_.stop();
  services_.server->shutdown(std::move(done));
}

// ---- clipboard ----

void AppState::updateClipPoll() {
  const bool wanted = !shutDown_ && *clipboardEnabled && linkState->isConnected();
  if (wanted == clipPoll_.running()) return;
  if (!wanted) {
    clipPoll_.stop();
    return;
  }
  checkPasteboardLimitation();
  // The first look is one interval from now: a copy made since the count was last taken
  // goes then.
  clipPoll_ = RepeatingTimer(services_.main, clipPollInterval, [weak = weak_from_this()] {
    if (auto self = weak.lock()) self->pollPasteboard();
  });
}

void AppState::checkPasteboardLimitation() {
  // The desktop's clipboard may stop seeing copies later (its watcher died).
  if (auto limitation = services_.pasteboard->limitation(); limitation != *clipboardLimited) {
    if (limitation) log_.error(*limitation);
    clipboardLimited = std::move(limitation);
  }
}

void AppState::pollPasteboard() {
  checkPasteboardLimitation();
  if (!*clipboardEnabled || !linkState->isConnected()) return;
  if (services_.pasteboard->changeCount() == lastChangeCount_) return;
  sendPasteboardText();
}

void AppState::sendClipboardNow() {
  if (!*clipboardEnabled || !linkState->isConnected()) return;
  sendPasteboardText();
}

void AppState::sendPasteboardText() {
  auto& pasteboard = *services_.pasteboard;
  // The count is consumed whatever follows, so content that cannot be sent (an image,
  // an over-long text) is looked at once.
  lastChangeCount_ = pasteboard.changeCount();
  auto sendable = ClipboardGate::sendableText(pasteboard.string());
  if (!sendable) return;
  services_.server->sendClipboardText(*sendable, crypto::uuidString(), macDeviceID_);
  clipLastEvent = "Sent " + clockText(services_.clock->wallNow());
  recordClip(*sendable, true);
}

void AppState::applyReceivedClip(const std::string& text) {
  if (!*clipboardEnabled || !linkState->isConnected()) return;
  auto& pasteboard = *services_.pasteboard;
  auto current = pasteboard.string();
  if (!current || !text::canonicallyEqual(*current, text)) pasteboard.setString(text);
  // This computer's own write is not a copy by the user.
  lastChangeCount_ = pasteboard.changeCount();
  services_.server->noteLocalClipboardApplied(text);
  clipLastEvent = "Received " + clockText(services_.clock->wallNow());
  recordClip(text, false);
}

void AppState::recordClip(const std::string& text, bool outgoing) {
  clipHistory = ClipHistory::adding(*clipHistory,
                                    ClipHistoryItem{crypto::uuidString(), text, services_.clock->wallNow(), outgoing});
}

// ---- connection ----

void AppState::refreshMedia() {
  if (services_.macMedia) services_.macMedia->refresh();
  services_.server->requestMedia();
}

void AppState::applyState(const LinkState& state) {
  const bool connected = state.isConnected();
  if (connected) {
    refreshMedia();
    // The phone may not be ready for the first request; ask again twice.
    onMainAfter(std::chrono::milliseconds(500), [](AppState& hub) { hub.refreshMedia(); });
    onMainAfter(std::chrono::milliseconds(1500), [](AppState& hub) { hub.refreshMedia(); });
  }
  linkState = state;
  if (connected) {
    // Text copied while the link was down is not sent the moment it comes up.
    lastChangeCount_ = services_.pasteboard->changeCount();
  } else {
    phoneAddress = std::nullopt;
  }
  updateClipPoll();
}

void AppState::handleWake() {
  const bool reconnect = !shutDown_ && !linkState->isConnected() && (*pairedID || *pairedName);
  if (reconnect) {
    log_.info("woke from sleep with the phone away: restarting the link and nudging the phone");
    services_.server->restart();
    services_.server->requestPhoneReconnect();
  }
  tellListener([&](AppStateEvents& e) { e.wakeChecked(reconnect); });
}

// ---- delegate callbacks (server queue → main) ----

void AppState::serverStateChanged(const LinkState& state) {
  onMain([state](AppState& hub) { hub.applyState(state); });
}

void AppState::serverInvitationChanged(const std::string& qrText, double expiresIn, const std::string& ip,
                                       std::uint16_t port, const std::vector<std::string>& ips,
                                       const std::optional<QRImage>& image) {
  onMain([qrText, expiresIn, ip, port, ips, image](AppState& hub) {
    hub.lastQRText = qrText;
    hub.qrImage = image;
    // The ticks that came before it are not the new invitation's.
    hub.countdownTicksAccounted_ = hub.countdownTicksDue();
    hub.inviteExpiresIn = expiresIn;
    hub.listenerIP = ip;
    hub.listenerPort = port;
    hub.allIPs = ips;
  });
}

void AppState::serverPendingRequest(const std::string& deviceName, const std::string& deviceID) {
  onMain([deviceName, deviceID](AppState& hub) {
    hub.pendingName = deviceName;
    hub.pendingID = deviceID;
  });
}

void AppState::serverPendingCleared() {
  onMain([](AppState& hub) {
    hub.pendingName = std::nullopt;
    hub.pendingID = std::nullopt;
  });
}

void AppState::serverPairedDeviceChanged(const std::optional<std::string>& name, const std::optional<std::string>& id) {
  onMain([name, id](AppState& hub) {
    // The id first: whoever hears the name reads the id that goes with it.
    hub.pairedID = id;
    hub.pairedName = name;
  });
}

void AppState::serverHistoryCleared() {
  onMain([](AppState& hub) {
    hub.lines = std::vector<ChatLine>{};
    hub.urls = std::vector<UrlLine>{};
    hub.notifs = std::vector<PhoneNotif>{};
    hub.nowPlaying = std::nullopt;
    hub.clipLastEvent = std::nullopt;
    hub.tellListener([](AppStateEvents& e) { e.historyCleared(); });
  });
}

void AppState::serverPhoneAddressChanged(const std::optional<std::string>& address) {
  onMain([address](AppState& hub) { hub.phoneAddress = address; });
}

void AppState::serverAuthRefused(const std::string& deviceID, const std::string& reason) {
  onMain([deviceID, reason](AppState& hub) {
    hub.staleAuthAttempt = StaleAuthAttempt{deviceID, reason, hub.services_.clock->wallNow()};
  });
}

void AppState::serverPhoneStatusChanged(const PhoneStatus& status) {
  onMain([status](AppState& hub) { hub.phoneStatus = status; });
}

void AppState::serverClipboardReceived(const std::string& text, const std::string&, const std::string&) {
  onMain([text](AppState& hub) { hub.applyReceivedClip(text); });
}

void AppState::serverMediaChanged(const std::optional<std::string>& app, const std::optional<std::string>& title,
                                  const std::optional<std::string>& artist, const std::optional<std::string>& album,
                                  bool playing, const std::optional<Bytes>& artwork) {
  std::optional<PhoneMedia> media;
  if (app) media = PhoneMedia{*app, title, artist, album, playing, artwork};
  onMain([media = std::move(media)](AppState& hub) { hub.nowPlaying = media; });
}

void AppState::serverMediaCommandResult(MediaKeyPoster::Dispatch dispatch) {
  onMain([dispatch](AppState& hub) {
    hub.lastMediaDispatch = dispatch;
    if (dispatch == MediaKeyPoster::Dispatch::posted && hub.services_.macMedia) hub.services_.macMedia->refresh();
    if (dispatch == MediaKeyPoster::Dispatch::permissionUnavailable) {
      if (const bool trusted = hub.readTrust(); trusted != *hub.accessibilityTrusted)
        hub.accessibilityTrusted = trusted;
    }
  });
}

std::optional<bool> AppState::macIsPlayingNow() const {
  if (!*macTrack) return std::nullopt;
  if (services_.clock->wallNow() - *macTrackUpdatedAt > macTrackFreshFor) return std::nullopt;
  return (*macTrack)->playing;
}

std::optional<bool> AppState::serverMacIsPlaying() {
  // The main thread answers; waiting for it there would wait forever.
  if (services_.main->isCurrent()) return std::nullopt;
  struct Answer {
    std::mutex mutex;
    std::condition_variable ready;
    bool answered = false;
    std::optional<bool> playing;
  };
  auto answer = std::make_shared<Answer>();
  // Straight to the main queue, not behind the server's batched callbacks: the wait
  // below is bounded, and the question must not first wait for room in a full batch.
  services_.main->post([weak = weak_from_this(), answer] {
    auto self = weak.lock();
    if (!self) return;
    AppState& hub = *self;
    auto playing = hub.macIsPlayingNow();
    std::lock_guard lock(answer->mutex);
    answer->playing = playing;
    answer->answered = true;
    answer->ready.notify_all();
  });
  std::unique_lock lock(answer->mutex);
  answer->ready.wait_for(lock, services_.macIsPlayingWait, [&] { return answer->answered; });
  return answer->playing;
}

// ---- the phone's notifications, messages and links ----

void AppState::serverNotifPosted(const std::string& id, const std::string& app, const std::optional<std::string>& title,
                                 const std::optional<std::string>& text, std::int64_t time, bool replyable) {
  PhoneNotif notif{id, app, title, text, time, replyable, std::nullopt, std::nullopt};
  onMain([notif = std::move(notif)](AppState& hub) mutable {
    // A repost replaces its entry in place; only new words, or a reply that became
    // possible, are worth a banner again.
    bool changed = true;
    std::size_t at = 0;
    hub.notifs.update([&](std::vector<PhoneNotif>& list) {
      auto it = std::find_if(list.begin(), list.end(), [&](const PhoneNotif& n) { return n.id == notif.id; });
      if (it != list.end()) {
        changed = it->title != notif.title || it->text != notif.text || (notif.replyable && !it->replyable);
        notif.revision = it->revision;
        if (notif != *it) {
          *it = std::move(notif);
          hub.revise(*it);
        }
        at = static_cast<std::size_t>(it - list.begin());
      } else {
        // What came from the server ends up in the list: moved there, not copied.
        list.push_back(std::move(notif));
        hub.revise(list.back());
        DeliveryStatus::keepLast(list, maxNotifs);
        at = list.size() - 1;
      }
      return true;
    });
    // Neither the store nor the listener changes the list: the entry is still there.
    const PhoneNotif& entry = (*hub.notifs)[at];
    hub.tellListener([&](AppStateEvents& e) {
      e.notifPosted(entry.id, entry.app, entry.title, entry.text, entry.time, entry.replyable);
    });
    if (!changed) return;
    if (hub.suppressMessagesAppNotifications_ && isMessagesApp(entry.app)) return;
    hub.postPhoneNotifBanner(entry);
  });
}

void AppState::serverNotifGone(const std::string& id) {
  onMain([id](AppState& hub) {
    hub.notifs.update([&](std::vector<PhoneNotif>& list) {
      return std::erase_if(list, [&](const PhoneNotif& n) { return n.id == id; }) > 0;
    });
    hub.tellListener([&](AppStateEvents& e) { e.notifGone(id); });
  });
}

void AppState::serverNotifReplyResult(const std::string& id, bool ok, const std::optional<std::string>& reason) {
  onMain([=](AppState& hub) {
    hub.notifs.update([&](std::vector<PhoneNotif>& list) {
      auto it = std::find_if(list.begin(), list.end(), [&](const PhoneNotif& n) { return n.id == id; });
      if (it == list.end()) return false;
      it->replyResult = ok;
      it->replyDetail = ok ? std::nullopt : reason;
      hub.revise(*it);
      return true;
    });
    hub.tellListener([&](AppStateEvents& e) { e.notifReplyResult(id, ok, reason); });
  });
}

void AppState::serverMessageReceived(const std::string& text) {
  onMain([=](AppState& hub) {
    auto list = *hub.lines;
    list.push_back(ChatLine{crypto::uuidString(), false, text, std::nullopt});
    hub.lines = std::move(list);
    hub.tellListener([&](AppStateEvents& e) { e.messageReceived(text); });
  });
}

void AppState::serverUrlReceived(const std::string& url, const std::optional<std::string>& context,
                                 const std::optional<std::string>& app) {
  onMain([=](AppState& hub) {
    auto list = *hub.urls;
    list.push_back(UrlLine{crypto::uuidString(), false, url, std::nullopt, context, app});
    DeliveryStatus::keepLast(list, maxUrls);
    hub.urls = std::move(list);
    hub.tellListener([&](AppStateEvents& e) { e.urlReceived(url, context, app); });
    hub.openReceivedUrl(url, context, app);
  });
}

void AppState::serverMessageStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) {
  onMain([=](AppState& hub) {
    auto list = *hub.lines;
    if (DeliveryStatus::apply(list, id, acked, pendingID)) hub.lines = std::move(list);
    hub.tellListener([&](AppStateEvents& e) { e.messageStatus(id, acked, pendingID); });
  });
}

void AppState::serverUrlStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) {
  onMain([=](AppState& hub) {
    auto list = *hub.urls;
    if (DeliveryStatus::apply(list, id, acked, pendingID)) hub.urls = std::move(list);
    hub.tellListener([&](AppStateEvents& e) { e.urlStatus(id, acked, pendingID); });
  });
}

}  // namespace orvane
