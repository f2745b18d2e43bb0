#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/store/bridge_action.hpp"
#include "app/store/bridge_connection.hpp"
#include "app/store/bridge_device.hpp"
#include "app/store/bridge_records.hpp"
#include "base/clock.hpp"
#include "base/log.hpp"
#include "base/observable.hpp"
#include "base/serial_queue.hpp"
#include "base/user_defaults.hpp"
#include "features/chats/chat_conversation.hpp"
#include "features/chats/message_archive.hpp"
#include "features/media/media_key_poster.hpp"
#include "features/status/phone_status.hpp"
#include "pairing/qr_image.hpp"

namespace orvane {

struct DeviceBridgeStoreServices {
  std::shared_ptr<SerialQueue> main;
  const Clock* clock = &SystemClock::shared();
  std::shared_ptr<UserDefaults> defaults;
  std::shared_ptr<MessageArchive> archive;  // the process's one chats file
  bool accessibilityTrusted = false;        // the answer at start
  std::shared_ptr<LogSink> log;
};

// What the views read: the hub's state shaped for display (kept current by the store
// bridge), a log of what the user sent, and the chats made from message notifications,
// kept on disk. Every field tells its observers only when its value really changes.
// Lives on the main thread; what the user asks for leaves through `perform`.
class DeviceBridgeStore final : public std::enable_shared_from_this<DeviceBridgeStore> {
 public:
  enum class PairingStatus { none, paired, revoked };
  enum class MediaCommand { playPause, next, previous };
  using ActionSink = std::function<void(const BridgeAction& action)>;

  static constexpr std::size_t maxActivities = 80;
  static constexpr const char* messagesClearedAtKey = "orvane.messages.clearedAt";

  // Loads the saved chats (on this thread) before it returns.
  static std::shared_ptr<DeviceBridgeStore> create(DeviceBridgeStoreServices services);
  DeviceBridgeStore(const DeviceBridgeStore&) = delete;
  DeviceBridgeStore& operator=(const DeviceBridgeStore&) = delete;

  Observable<BridgeConnection> connection;
  Observable<std::optional<BridgeDevice>> device;
  Observable<std::optional<std::string>> pendingDeviceName;
  Observable<std::string> localAddress;
  Observable<std::uint16_t> localPort{17431};
  Observable<std::optional<std::string>> phoneAddress;
  Observable<PhoneStatus> phoneStatus;
  Observable<std::optional<QRImage>> qrImage;
  // Kept current only while a view shows it (BridgeAction::showCountdown).
  Observable<std::int64_t> qrSecondsRemaining{0};
  Observable<PairingStatus> pairing{PairingStatus::none};
  Observable<std::optional<BridgeMedia>> media;     // the phone's player
  Observable<std::optional<BridgeMedia>> macTrack;  // this computer's player
  Observable<std::optional<std::string>> clipLastEvent;
  Observable<std::vector<ClipEntry>> clipHistory;
  Observable<std::optional<std::string>> deviceAlias;
  Observable<bool> accessibilityTrusted;
  Observable<std::optional<MediaKeyPoster::Dispatch>> lastMediaDispatch;
  Observable<std::vector<BridgeActivity>> activities;  // oldest first, the last 80
  Observable<std::vector<BridgeNotification>> notifications;
  Observable<std::vector<BridgeLink>> links;
  Observable<std::vector<BridgeMessage>> messages;
  Observable<std::vector<ChatConversation>> chatConversations;  // newest first
  Observable<std::optional<std::string>> messageArchiveError;
  Observable<std::int64_t> messageArchiveRevision{0};
  Observable<WallTime> messagesClearedAt{distantPast};
  Observable<FeaturePolicy> features;
  ActionSink perform;  // installed by the store bridge
  Observable<double> trafficPulse{0};

  // "No device paired", the alias, or the device's display name.
  std::string deviceTitle() const;

  // Asks the phone to dismiss it and drops it from the list at once.
  void dismissNotification(const std::string& id);
  void sendLink(const std::string& url);
  // Controls the phone's player; a play/pause shows its effect without waiting for the
  // phone's next report.
  void mediaCommand(MediaCommand command);
  void record(BridgeActivity::Kind kind, BridgeActivity::Direction direction, std::string summary);

  // Chats.
  void ingestMessageNotification(const BridgeNotification& notification);
  void updateChatReplyStatus(const std::string& notificationID, bool success);
  void replyInConversation(const std::string& conversationID, const std::string& text);
  void clearMessages();

 private:
  explicit DeviceBridgeStore(DeviceBridgeStoreServices services);
  void loadChats();
  bool pruneStoredReplyEchoes();
  void persistChatArchive();
  void send(const BridgeAction& action);

  DeviceBridgeStoreServices services_;
  Logger log_;
};

}  // namespace orvane
