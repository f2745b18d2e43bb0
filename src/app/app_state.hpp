#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/app_state_events.hpp"
#include "app/chat_line.hpp"
#include "app/clip_history.hpp"
#include "app/mac_media_observer.hpp"
#include "app/pasteboard.hpp"
#include "app/phone_media.hpp"
#include "app/phone_notif.hpp"
#include "app/url_line.hpp"
#include "app/user_notifications.hpp"
#include "app/wake_signal.hpp"
#include "app/workspace.hpp"
#include "base/batching_poster.hpp"
#include "base/clock.hpp"
#include "base/log.hpp"
#include "base/published.hpp"
#include "base/repeating_timer.hpp"
#include "base/serial_queue.hpp"
#include "base/user_defaults.hpp"
#include "features/media/media_key_poster.hpp"
#include "features/status/phone_status.hpp"
#include "pairing/qr_image.hpp"
#include "server/pairing_server_control.hpp"
#include "server/pairing_server_delegate.hpp"
#include "session/link_state.hpp"

namespace orvane {

// Everything the hub uses from outside. `main()` wires the real adapters; tests wire a
// manual queue, a fake clock, a recording server and an in-process pasteboard.
struct AppStateServices {
  std::shared_ptr<SerialQueue> main;
  const Clock* clock = &SystemClock::shared();
  std::shared_ptr<UserDefaults> defaults;
  std::shared_ptr<PairingServerControl> server;
  std::shared_ptr<Pasteboard> pasteboard;
  std::shared_ptr<WakeSignal> wake;                  // none: wake from sleep is not noticed
  std::shared_ptr<MacMediaObserver> macMedia;        // none: this computer's player is not watched
  std::shared_ptr<Workspace> workspace;              // none: links never open, media keys never trusted
  std::shared_ptr<UserNotifications> notifications;  // none: no banners
  std::shared_ptr<LogSink> log;
  // How long the server's queue waits for the main thread to say whether this
  // computer plays. Tests that run a real main thread on a loaded machine lengthen it.
  Duration macIsPlayingWait = std::chrono::milliseconds(500);
};

// A phone's authentication that this computer refused because it does not hold the
// paired phone's credential (it was forgotten here, or this computer's state was lost).
struct StaleAuthAttempt {
  std::string deviceID;
  std::string reason;  // "unknown_device" or "credential_rejected"
  WallTime at;
  bool operator==(const StaleAuthAttempt&) const = default;
};

// The one long-lived application object: it owns the pairing server and is its
// delegate, holds every value the views show (each a `Published` field the store and
// the front ends observe), keeps the timers, syncs the clipboard with the phone and
// restarts the link after the computer wakes. Lives on the main thread: every server
// callback copies its arguments and continues there as a task that holds the hub
// weakly, so a callback that comes after the hub is gone is dropped.
class AppState final : public PairingServerDelegate, public std::enable_shared_from_this<AppState> {
 public:
  static constexpr Duration countdownInterval = std::chrono::seconds(1);
  static constexpr Duration clipPollInterval = std::chrono::milliseconds(750);
  static constexpr Duration wakeCheckDelay = std::chrono::milliseconds(1500);
  static constexpr Duration macTrackFreshFor = std::chrono::seconds(15);
  static constexpr std::size_t maxAliasCharacters = 40;
  static constexpr std::size_t maxNotifs = 50;
  static constexpr std::size_t maxUrls = 50;
  static constexpr std::size_t maxTextCharacters = 4096;

  // Held by whoever shows the invitation's countdown (see showCountdown); letting go of
  // it, or destroying it, ends that demand. Move-only; harmless once the hub is gone.
  class CountdownDemand {
   public:
    CountdownDemand() = default;
    CountdownDemand(CountdownDemand&& other) noexcept : hub_(std::exchange(other.hub_, {})) {}
    CountdownDemand& operator=(CountdownDemand&& other) noexcept {
      if (this != &other) {
        release();
        hub_ = std::exchange(other.hub_, {});
      }
      return *this;
    }
    CountdownDemand(const CountdownDemand&) = delete;
    CountdownDemand& operator=(const CountdownDemand&) = delete;
    ~CountdownDemand() { release(); }
    void release();

   private:
    friend class AppState;
    explicit CountdownDemand(std::weak_ptr<AppState> hub) : hub_(std::move(hub)) {}
    std::weak_ptr<AppState> hub_;
  };

  // Builds the hub on the main thread. With `startNow` the server starts during
  // construction; otherwise the caller starts it (after the terms are accepted).
  static std::shared_ptr<AppState> create(AppStateServices services, bool startNow);
  ~AppState() override;
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;

  // Published state, in declaration order.
  Published<LinkState> linkState{LinkState::disconnected("Starting\u2026")};
  Published<std::optional<QRImage>> qrImage;
  // Seconds left of the invitation. It counts down by whole seconds while above zero,
  // on a one-second grid from the hub's construction, but only while someone shows it
  // (showCountdown); otherwise it keeps its last value until the next demand brings it
  // up to date.
  Published<double> inviteExpiresIn{0};
  Published<std::string> listenerIP;
  Published<std::uint16_t> listenerPort{17431};
  Published<std::vector<std::string>> allIPs;
  Published<std::optional<std::string>> pendingName;
  Published<std::optional<std::string>> pendingID;
  Published<std::optional<std::string>> pairedName;
  Published<std::optional<std::string>> pairedID;
  Published<std::vector<ChatLine>> lines;     // oldest first, never cut
  Published<std::vector<UrlLine>> urls;       // oldest first, the last 50
  Published<std::vector<PhoneNotif>> notifs;  // oldest first, the last 50
  Published<std::optional<PhoneMedia>> nowPlaying;
  Published<std::optional<MacMediaObserver::Track>> macTrack;
  Published<WallTime> macTrackUpdatedAt{WallTime{}};
  Published<bool> accessibilityTrusted{false};
  Published<std::optional<MediaKeyPoster::Dispatch>> lastMediaDispatch;
  Published<std::string> linkDraft;
  Published<std::string> lastQRText;
  Published<bool> clipboardEnabled{false};
  Published<bool> autoOpenLinks{true};
  Published<std::optional<std::string>> clipLastEvent;
  Published<std::vector<ClipHistoryItem>> clipHistory;
  Published<std::optional<std::string>> deviceAlias;
  Published<PhoneStatus> phoneStatus;
  Published<std::optional<std::string>> phoneAddress;
  // Why copies made in other programs may go unseen (a desktop that does not share its
  // clipboard with programs in the background); none when every copy is seen.
  Published<std::optional<std::string>> clipboardLimited;
  Published<std::optional<StaleAuthAttempt>> staleAuthAttempt;

  bool suppressMessagesAppNotifications() const { return suppressMessagesAppNotifications_; }
  const std::string& macDeviceID() const { return macDeviceID_; }
  std::int64_t lastChangeCount() const { return lastChangeCount_; }

  // Where events without state of their own go (see AppStateEvents); held weakly.
  void setEventListener(std::weak_ptr<AppStateEvents> listener) { events_ = std::move(listener); }

  // Keeps the invitation's countdown ticking while the handle is held; demands add up,
  // and the countdown stops when the last one ends. The first demand brings
  // `inviteExpiresIn` up to date, as if it had ticked all along.
  [[nodiscard]] CountdownDemand showCountdown();

  // User operations, on the main thread.
  void startServer();
  void renameDevice(const std::string& name);
  void forget();
  void openAccessibilitySettings();
  void setMessagesTabVisibleAndActive(bool visibleAndActive);
  void setClipboard(bool enabled);
  void setAutoOpenLinks(bool enabled);
  void dismissNotif(const std::string& id);
  void replyNotif(const std::string& id, const std::string& text);
  void sendUrl(const std::string& raw);
  void send(const std::string& text);
  // What the user did with a banner (the notification centre's didReceive).
  void handleNotificationResponse(const NotificationResponse& response);
  void clearClipHistory();
  void sendClipboardNow();
  // A playback command for the phone's player ("play", "pause", "toggle", "next",
  // "prev"); only while the link is up, and the server sends only a word it accepts.
  void sendMediaCommand(const std::string& word);
  // One tick of the pasteboard's poll, which runs while the sync is on and the link is
  // up: sends a copy made since the last look.
  void pollPasteboard();
  // Puts text on the pasteboard as if the user had copied it here.
  void copyToPasteboard(const std::string& text);
  void approvePending();
  void denyPending();
  void regenerateInvitation();
  void disconnectSession();
  // Restarts the link and asks the known phone to reconnect.
  void reconnectNow();
  // Closes the server's connections and listener; `done` runs on the server's queue.
  void shutdown(std::function<void()> done);
  // Frees the server's thread should it wait for the main thread to catch up, and drops
  // what the server hands over from then on. For the end of the program, before the
  // server's queue is stopped: that waits for the thread.
  void closeMainPosts() { toMain_->close(); }

  // PairingServerDelegate: called on the server's queue, each continues on the main one.
  void serverStateChanged(const LinkState& state) override;
  void serverInvitationChanged(const std::string& qrText, double expiresIn, const std::string& ip, std::uint16_t port,
                               const std::vector<std::string>& allIPs, const std::optional<QRImage>& image) override;
  void serverPendingRequest(const std::string& deviceName, const std::string& deviceID) override;
  void serverPendingCleared() override;
  void serverPairedDeviceChanged(const std::optional<std::string>& name, const std::optional<std::string>& id) override;
  void serverHistoryCleared() override;
  void serverPhoneAddressChanged(const std::optional<std::string>& address) override;
  void serverAuthRefused(const std::string& deviceID, const std::string& reason) override;
  void serverPhoneStatusChanged(const PhoneStatus& status) override;
  void serverClipboardReceived(const std::string& text, const std::string& clipID, const std::string& origin) override;
  void serverMediaChanged(const std::optional<std::string>& app, const std::optional<std::string>& title,
                          const std::optional<std::string>& artist, const std::optional<std::string>& album,
                          bool playing, const std::optional<Bytes>& artwork) override;
  void serverMediaCommandResult(MediaKeyPoster::Dispatch dispatch) override;
  // Asks the main thread, waiting at most 0.5 s; never call it on the main thread.
  std::optional<bool> serverMacIsPlaying() override;
  void serverNotifPosted(const std::string& id, const std::string& app, const std::optional<std::string>& title,
                         const std::optional<std::string>& text, std::int64_t time, bool replyable) override;
  void serverNotifGone(const std::string& id) override;
  void serverNotifReplyResult(const std::string& id, bool ok, const std::optional<std::string>& reason) override;
  void serverMessageReceived(const std::string& text) override;
  void serverUrlReceived(const std::string& url, const std::optional<std::string>& context,
                         const std::optional<std::string>& app) override;
  void serverMessageStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) override;
  void serverUrlStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) override;

 private:
  explicit AppState(AppStateServices services, bool startNow);
  void construct();

  // Runs `work` on the main queue if the hub still exists then.
  template <class F>
  void onMain(F work) {
    toMain_->post([weak = weak_from_this(), work = std::move(work)]() mutable {
      if (auto self = weak.lock()) work(*self);
    });
  }
  template <class F>
  void onMainAfter(Duration delay, F work) {
    services_.main->postAfter(delay, [weak = weak_from_this(), work = std::move(work)]() mutable {
      if (auto self = weak.lock()) work(*self);
    });
  }
  template <class F>
  void tellListener(F call) {
    if (auto listener = events_.lock()) call(*listener);
  }

  // Starts the pasteboard's poll when the sync is on and the link is up, and stops it
  // when either is no longer so.
  void updateClipPoll();
  // Publishes `clipboardLimited` when the pasteboard's limitation changed.
  void checkPasteboardLimitation();
  void endCountdownDemand();
  // Ticks of the countdown's grid that have come by now.
  std::int64_t countdownTicksDue() const;
  // Takes a second off for each tick of the grid not yet accounted for, while above zero.
  void catchUpCountdown();
  void scheduleCountdownTick();
  void applyState(const LinkState& state);
  // Marks a notification entry as changed (see PhoneNotif::revision).
  void revise(PhoneNotif& notif) { notif.revision = ++lastNotifRevision_; }
  void refreshMedia();
  void handleWake();
  void sendPasteboardText();
  void applyReceivedClip(const std::string& text);
  void recordClip(const std::string& text, bool outgoing);
  bool readTrust() const;
  std::optional<bool> macIsPlayingNow() const;
  void askNotificationPermissionOnce();
  void postPhoneNotifBanner(const PhoneNotif& notif);
  void forgetReplyOutcome(const std::string& id);
  void postUrlNotification(const std::string& url, const std::optional<std::string>& context,
                           const std::optional<std::string>& app);
  void openReceivedUrl(const std::string& url, const std::optional<std::string>& context,
                       const std::optional<std::string>& app);
  std::string loadOrCreateMacDeviceID();

  AppStateServices services_;
  // The server's callbacks reach the main thread through it, in batches, and the
  // server waits when too many are still to be run there.
  std::shared_ptr<BatchingPoster> toMain_;
  Logger log_;
  bool suppressMessagesAppNotifications_ = false;
  SteadyTime countdownOrigin_{};
  std::int64_t countdownTicksAccounted_ = 0;
  int countdownDemands_ = 0;
  DelayedWork countdownTick_;
  RepeatingTimer clipPoll_;
  bool startNow_ = false;
  std::int64_t lastChangeCount_ = 0;
  std::uint64_t lastNotifRevision_ = 0;
  std::string macDeviceID_;
  bool urlNotifyAsked_ = false;
  bool shutDown_ = false;
  std::weak_ptr<AppStateEvents> events_;
};

}  // namespace orvane
