#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "app/app_state.hpp"
#include "app/store/device_bridge_store.hpp"
#include "cli/event_printer.hpp"

namespace orvane::cli {

// The headless front end's view: it reads the store, as the windows do, and prints
// every change of what it shows as one event, in the order the changes were made. What
// only the hub knows (the invitation's text, the pending phone's id, the link-opening
// switch, why the clipboard may miss copies) and the hub's events come from the hub.
// Lives on the main thread.
class HeadlessView final : public AppStateEvents {
 public:
  using QRSink = std::function<void(const QRImage&)>;
  HeadlessView(std::shared_ptr<EventPrinter> printer, QRSink qrSink = {});

  // Subscribes to the store and the hub; the subscriptions end with this view. Saved
  // chats, and a problem with them, are printed at once.
  void observe(DeviceBridgeStore& store, AppState& hub);
  // Prints the conversations now (the `chats` command).
  void printChats(const DeviceBridgeStore& store);

  void notifPosted(const std::string& id, const std::string& app, const std::optional<std::string>& title,
                   const std::optional<std::string>& text, std::int64_t time, bool replyable) override;
  void notifGone(const std::string& id) override;
  void notifReplyResult(const std::string& id, bool ok, const std::optional<std::string>& reason) override;
  void messageReceived(const std::string& text) override;
  void urlReceived(const std::string& url, const std::optional<std::string>& context,
                   const std::optional<std::string>& app) override;
  void messageStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) override;
  void urlStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) override;
  void historyCleared() override;
  void wakeChecked(bool reconnecting) override;
  void replyRequested(const std::string& id) override;

  // The printed form of single pieces of state.
  static Event stateEvent(const BridgeConnection& connection);
  static Event phoneStatusEvent(const PhoneStatus& status);
  // A player's state as printed: app, title, artist, album, playing, artworkBytes; null
  // when nothing plays.
  static nlohmann::ordered_json mediaFields(const std::optional<BridgeMedia>& media);
  static Event notificationsEvent(const std::vector<BridgeNotification>& notifications);
  static Event notificationEvent(const std::string& id, const std::string& app, const std::optional<std::string>& title,
                                 const std::optional<std::string>& text, std::int64_t time, bool replyable);
  static Event linksEvent(const std::vector<BridgeLink>& links);
  static Event messagesEvent(const std::vector<BridgeMessage>& messages);
  static Event chatsEvent(const std::vector<ChatConversation>& conversations);
  static Event activityEvent(const BridgeActivity& activity);

 private:
  void print(const Event& event, const std::optional<QRImage>& qr = std::nullopt);
  void observeStore(DeviceBridgeStore& store);
  void observeHub(AppState& hub);

  std::shared_ptr<EventPrinter> printer_;
  QRSink qrSink_;
  std::vector<Subscription> subscriptions_;
  std::string lastClipID_;      // the newest history entry already printed
  std::string lastActivityID_;  // the newest activity already printed
  bool clipboardSyncShown_ = false;
  Event lastMacTrack_;
};

}  // namespace orvane::cli
