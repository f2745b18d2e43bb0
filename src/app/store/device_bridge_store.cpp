#include "app/store/device_bridge_store.hpp"

#include "base/crypto.hpp"
#include "features/chats/chat_list.hpp"

namespace orvane {

std::shared_ptr<DeviceBridgeStore> DeviceBridgeStore::create(DeviceBridgeStoreServices services) {
  std::shared_ptr<DeviceBridgeStore> store(new DeviceBridgeStore(std::move(services)));
  store->loadChats();
  return store;
}

DeviceBridgeStore::DeviceBridgeStore(DeviceBridgeStoreServices services)
    : accessibilityTrusted(services.accessibilityTrusted),
      services_(std::move(services)),
      log_(services_.log, "store") {}

void DeviceBridgeStore::send(const BridgeAction& action) {
  // Without a bridge the action has nowhere to go; the store's own part still happens.
  if (perform) perform(action);
}

std::string DeviceBridgeStore::deviceTitle() const {
  if (!device->has_value()) return "No device paired";
  if (deviceAlias->has_value() && !(*deviceAlias)->empty()) return **deviceAlias;
  return (*device)->displayName();
}

void DeviceBridgeStore::dismissNotification(const std::string& id) {
  send(BridgeAction::dismissNotification(id));
  notifications.modify([&](std::vector<BridgeNotification>& list) {
    std::erase_if(list, [&](const BridgeNotification& n) { return n.id == id; });
  });
}

void DeviceBridgeStore::sendLink(const std::string& url) {
  if (url.empty()) return;
  send(BridgeAction::sendLink(url));
  record(BridgeActivity::Kind::link, BridgeActivity::Direction::toPhone, url);
}

void DeviceBridgeStore::mediaCommand(MediaCommand command) {
  if (!connection->isConnected()) return;
  std::string word;
  switch (command) {
    case MediaCommand::next: word = "next"; break;
    case MediaCommand::previous: word = "prev"; break;
    case MediaCommand::playPause: word = media->has_value() && (*media)->isPlaying ? "pause" : "play"; break;
  }
  send(BridgeAction::media(word));
  trafficPulse = *trafficPulse + 1;
  std::string summary = word;
  summary[0] = static_cast<char>(summary[0] - 'a' + 'A');
  record(BridgeActivity::Kind::media, BridgeActivity::Direction::toMac, std::move(summary));
  // The phone confirms with its next report; until then the button shows the new state.
  if (command == MediaCommand::playPause && media->has_value()) {
    media.modify([](std::optional<BridgeMedia>& m) { m->isPlaying = !m->isPlaying; });
  }
}

void DeviceBridgeStore::record(BridgeActivity::Kind kind, BridgeActivity::Direction direction, std::string summary) {
  activities.modify([&](std::vector<BridgeActivity>& list) {
    list.push_back({crypto::uuidString(), kind, direction, std::move(summary), services_.clock->wallNow()});
    if (list.size() > maxActivities) list.erase(list.begin(), list.end() - static_cast<std::ptrdiff_t>(maxActivities));
  });
  trafficPulse = *trafficPulse + 1;
}

// --- chats ---

void DeviceBridgeStore::ingestMessageNotification(const BridgeNotification& n) {
  // Called for every notification of the list on every change of it, so it works in
  // place: a notification already taken costs no copy of the chats.
  const ChatNotification notification{n.id, n.app, n.title, n.body, n.receivedAt, n.canReply};
  const WallTime clearedAt = *messagesClearedAt;
  if (!chatConversations.update([&](auto& list) { return chats::ingest(list, notification, clearedAt); })) return;
  persistChatArchive();
}

void DeviceBridgeStore::updateChatReplyStatus(const std::string& notificationID, bool success) {
  if (!chatConversations.update([&](auto& list) { return chats::updateReplyStatus(list, notificationID, success); })) {
    return;
  }
  persistChatArchive();
}

void DeviceBridgeStore::replyInConversation(const std::string& conversationID, const std::string& text) {
  if (!connection->isConnected()) return;
  std::optional<chats::ReplyToSend> reply;
  chatConversations.update([&](auto& list) {
    reply = chats::appendReply(list, conversationID, text, *services_.clock, crypto::uuidString());
    return reply.has_value();
  });
  if (!reply) return;
  send(BridgeAction::replyNotification(reply->notificationID, reply->text));
  persistChatArchive();
}

void DeviceBridgeStore::clearMessages() {
  chatConversations = std::vector<ChatConversation>{};
  const WallTime now = services_.clock->wallNow();
  messagesClearedAt = now;
  services_.defaults->set(messagesClearedAtKey, now);
  const std::int64_t revision = *messageArchiveRevision + 1;
  messageArchiveRevision = revision;
  messageArchiveError = std::nullopt;
  services_.archive->clear(revision, [weak = weak_from_this(), main = services_.main](expected<void, std::string> result) {
    if (result) return;
    main->post([weak, why = result.error()] {
      if (auto self = weak.lock()) self->messageArchiveError = "Chats could not be cleared: " + why;
    });
  });
}

bool DeviceBridgeStore::pruneStoredReplyEchoes() {
  return chatConversations.update([](auto& list) { return chats::pruneReplyEchoes(list); });
}

void DeviceBridgeStore::persistChatArchive() {
  const std::int64_t revision = *messageArchiveRevision + 1;
  messageArchiveRevision = revision;
  services_.archive->save(*chatConversations, revision,
                          [weak = weak_from_this(), main = services_.main](expected<void, std::string> result) {
                            main->post([weak, result = std::move(result)] {
                              auto self = weak.lock();
                              if (!self) return;
                              if (result) {
                                self->messageArchiveError = std::nullopt;
                              } else {
                                self->log_.error("chats could not be saved: " + result.error());
                                self->messageArchiveError = "Chats could not be saved: " + result.error();
                              }
                            });
                          });
}

void DeviceBridgeStore::loadChats() {
  if (auto cleared = services_.defaults->date(messagesClearedAtKey)) messagesClearedAt = *cleared;
  MessageArchive::Loaded loaded = services_.archive->load();
  chatConversations = std::move(loaded.conversations);
  if (loaded.error) {
    log_.error("saved chats could not be loaded: " + *loaded.error);
    messageArchiveError = "Saved chats could not be loaded: " + *loaded.error;
  }
  if (pruneStoredReplyEchoes()) persistChatArchive();
}

}  // namespace orvane
