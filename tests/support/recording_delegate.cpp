#include "recording_delegate.hpp"

#include <algorithm>

namespace orvane::testing {

namespace {
std::string opt(const std::optional<std::string>& s) { return s ? *s : "-"; }
}  // namespace

void RecordingDelegate::add(std::string line) {
  std::lock_guard lock(mutex_);
  events_.push_back(std::move(line));
}

void RecordingDelegate::serverStateChanged(const LinkState& state) {
  {
    std::lock_guard lock(mutex_);
    lastState_ = state;
  }
  std::string line = "state " + state.caseName();
  if (auto d = state.detail()) line += " " + *d;
  add(line);
}

void RecordingDelegate::serverInvitationChanged(const std::string& qrText, double, const std::string& ip, std::uint16_t port,
                                                const std::vector<std::string>&, const std::optional<QRImage>& image) {
  {
    std::lock_guard lock(mutex_);
    lastQRText_ = qrText;
    lastQRImage_ = image;
  }
  add("invitation ip=" + ip + " port=" + std::to_string(port));
}

void RecordingDelegate::serverPendingRequest(const std::string& deviceName, const std::string& deviceID) {
  add("pending " + deviceName + " " + deviceID);
}
void RecordingDelegate::serverPendingCleared() { add("pendingCleared"); }
void RecordingDelegate::serverPairedDeviceChanged(const std::optional<std::string>& name, const std::optional<std::string>& id) {
  add("paired " + opt(name) + " " + opt(id));
}
void RecordingDelegate::serverHistoryCleared() { add("historyCleared"); }

void RecordingDelegate::serverMediaChanged(const std::optional<std::string>& app, const std::optional<std::string>& title,
                                           const std::optional<std::string>& artist, const std::optional<std::string>& album,
                                           bool playing, const std::optional<Bytes>& artwork) {
  add("media " + opt(app) + " " + opt(title) + " " + opt(artist) + " " + opt(album) + (playing ? " playing" : " paused") +
      " art=" + (artwork ? std::to_string(artwork->size()) : "-"));
}

void RecordingDelegate::serverPhoneStatusChanged(const PhoneStatus& status) {
  {
    std::lock_guard lock(mutex_);
    lastPhoneStatus_ = status;
  }
  add("phoneStatus");
}
void RecordingDelegate::serverAuthRefused(const std::string& deviceID, const std::string& reason) {
  add("authRefused " + deviceID + " " + reason);
}
void RecordingDelegate::serverPhoneAddressChanged(const std::optional<std::string>& address) { add("phoneAddress " + opt(address)); }

void RecordingDelegate::serverNotifPosted(const std::string& id, const std::string& app, const std::optional<std::string>& title,
                                          const std::optional<std::string>& text, std::int64_t time, bool replyable) {
  add("notif " + id + " " + app + " " + opt(title) + " " + opt(text) + " " + std::to_string(time) + (replyable ? " reply" : " noreply"));
}
void RecordingDelegate::serverNotifGone(const std::string& id) { add("notifGone " + id); }
void RecordingDelegate::serverNotifReplyResult(const std::string& id, bool ok, const std::optional<std::string>& reason) {
  add("notifReplyResult " + id + (ok ? " ok " : " failed ") + opt(reason));
}
void RecordingDelegate::serverClipboardReceived(const std::string& text, const std::string& clipID, const std::string& origin) {
  add("clip " + text + " " + clipID + " " + origin);
}
void RecordingDelegate::serverMessageReceived(const std::string& text) { add("message " + text); }
void RecordingDelegate::serverUrlReceived(const std::string& url, const std::optional<std::string>& context,
                                          const std::optional<std::string>& app) {
  add("url " + url + " " + opt(context) + " " + opt(app));
}
void RecordingDelegate::serverMessageStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) {
  add("messageStatus " + id + (acked ? " acked" : " failed") + (pendingID ? " pending=" + *pendingID : ""));
}
void RecordingDelegate::serverUrlStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) {
  add("urlStatus " + id + (acked ? " acked" : " failed") + (pendingID ? " pending=" + *pendingID : ""));
}
void RecordingDelegate::serverMediaCommandResult(MediaKeyPoster::Dispatch dispatch) {
  add("mediaResult " + std::string(MediaKeyPoster::caseName(dispatch)));
}
std::optional<bool> RecordingDelegate::serverMacIsPlaying() {
  ++macIsPlayingCalls;
  return macIsPlaying;
}

std::vector<std::string> RecordingDelegate::events() const {
  std::lock_guard lock(mutex_);
  return events_;
}

std::vector<std::string> RecordingDelegate::eventsStartingWith(std::string_view prefix) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const auto& e : events_)
    if (e.starts_with(prefix)) out.push_back(e);
  return out;
}

bool RecordingDelegate::has(std::string_view line) const {
  std::lock_guard lock(mutex_);
  return std::find(events_.begin(), events_.end(), line) != events_.end();
}

void RecordingDelegate::clear() {
  std::lock_guard lock(mutex_);
  events_.clear();
}

std::optional<LinkState> RecordingDelegate::lastState() const {
  std::lock_guard lock(mutex_);
  return lastState_;
}
std::optional<std::string> RecordingDelegate::lastQRText() const {
  std::lock_guard lock(mutex_);
  return lastQRText_;
}
std::optional<QRImage> RecordingDelegate::lastQRImage() const {
  std::lock_guard lock(mutex_);
  return lastQRImage_;
}
std::optional<PhoneStatus> RecordingDelegate::lastPhoneStatus() const {
  std::lock_guard lock(mutex_);
  return lastPhoneStatus_;
}

}  // namespace orvane::testing
