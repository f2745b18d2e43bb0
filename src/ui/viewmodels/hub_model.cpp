#include "ui/viewmodels/hub_model.hpp"

#include <algorithm>

#include "ui/models/hub_pane_rows.hpp"
#include "ui/models/hub_pane_texts.hpp"
#include "ui/models/notification_card.hpp"
#include "ui/models/rail_primary_action.hpp"
#include "ui/models/status_tiles.hpp"
#include "ui/viewmodels/desktop_model.hpp"
#include "ui/viewmodels/qt_text.hpp"

namespace orvane {
namespace {

QVariantMap playerMap(const PlayerCard& card) {
  return {{"title", qs(card.title)},   {"artist", qs(card.artist)}, {"album", qs(card.album)},
          {"app", qs(card.app)},       {"state", qs(card.state)},   {"playPauseLabel", qs(card.playPauseLabel)},
          {"playing", card.playing}};
}

}  // namespace

HubModel::HubModel(Setup setup, QObject* parent)
    : QObject(parent),
      setup_(std::move(setup)),
      store_(setup_.store),
      collapse_(setup_.defaults),
      notifications_({"key", "app", "title", "body", "age", "canReply", "replyFailed", "replyFailure", "canRetry"}),
      conversations_({"key", "contact", "app", "lastMessage", "time", "canReply"}),
      thread_({"key", "text", "outgoing", "time", "mark", "markText"}),
      clips_({"key", "text", "age", "outgoing", "direction"}),
      links_({"key", "url", "outgoing", "delivery", "stateText"}) {
  auto& s = *store_;
  auto watch = [this](auto& value, void (HubModel::*then)()) {
    subscriptions_.push_back(value.subscribe([this, then](const auto&) { (this->*then)(); }));
  };
  watch(s.connection, &HubModel::refresh);
  watch(s.pairing, &HubModel::refresh);
  watch(s.phoneStatus, &HubModel::refresh);
  watch(s.features, &HubModel::refresh);
  watch(s.media, &HubModel::refresh);
  watch(s.macTrack, &HubModel::refresh);
  watch(s.messageArchiveError, &HubModel::refresh);
  watch(setup_.header->tabs, &HubModel::refresh);
  watch(setup_.header->quickActions, &HubModel::refresh);
  watch(s.notifications, &HubModel::refreshNotifications);
  watch(s.chatConversations, &HubModel::refreshConversations);
  watch(s.clipHistory, &HubModel::refreshClips);
  watch(s.links, &HubModel::refreshLinks);
  // A failed chat reply reads its reason from the notification it went through.
  watch(s.notifications, &HubModel::refreshConversations);
  if (setup_.desktop) {
    connect(setup_.desktop, &DesktopModel::changed, this, &HubModel::updateMessagesVisibility);
  }
  ages_.setInterval(setup_.ageRefreshMs);
  connect(&ages_, &QTimer::timeout, this, &HubModel::refreshAges);
  refresh();
  refreshAges();
}

HubModel::~HubModel() { subscriptions_.clear(); }

HubTab HubModel::selectedTab() const {
  const int index = setup_.desktop ? setup_.desktop->selectedTabIndex() : 0;
  return index >= 0 && index < static_cast<int>(hubTabs.size()) ? hubTabs[static_cast<std::size_t>(index)]
                                                                  : HubTab::messages;
}

void HubModel::perform(const BridgeAction& action) {
  if (store_->perform) store_->perform(action);
}

void HubModel::refresh() {
  const DeviceBridgeStore& s = *store_;
  railDetail_ = qs(orvane::railDetail(s));
  tiles_.clear();
  for (const StatusTile& tile : StatusTiles::of(s).inOrder()) {
    tiles_.append(QVariantMap{
        {"label", qs(tile.label)}, {"value", qs(tile.value)}, {"icon", qs(tile.symbol)}, {"warning", tile.warning}});
  }
  const FeaturePolicy features = *s.features;
  featureDots_ = {QVariantMap{{"title", "Clipboard"}, {"on", features.clipboard}},
                  QVariantMap{{"title", "Notifications"}, {"on", features.notifications}},
                  QVariantMap{{"title", "Media"}, {"on", features.media}}};
  const RailPrimaryAction primary = RailPrimaryAction::of(s);
  primaryTitle_ = qs(primary.title);
  primaryIcon_ = qs(primary.symbol);
  primaryHelp_ = primary.help ? qs(*primary.help) : QString();
  connectionTitle_ = qs(s.connection->title());
  footerVersion_ = setup_.versionText ? QStringLiteral("v") + qs(*setup_.versionText) : QString();
  // A question about a link that is no longer up has nothing left to ask.
  if (confirmation_ && !s.connection->isConnected()) confirmation_.reset();
  confirmTitle_ = confirmation_ ? qs(confirmation_->title) : QString();
  confirmMessage_ = confirmation_ ? qs(confirmation_->message) : QString();
  confirmButton_ = confirmation_ ? qs(confirmation_->confirmTitle) : QString();

  headerTabs_ = *setup_.header->tabs;
  headerQuickActions_ = *setup_.header->quickActions;
  notificationsCollapsed_ = collapse_.collapsed();
  notificationsEmptyDetail_ = qs(NotificationsColumn::emptyDetail(s.connection->isConnected()));

  const DisconnectedPane pane = DisconnectedPane::of(s);
  disconnectedTitle_ = qs(pane.title);
  disconnectedDetail_ = qs(pane.detail);
  disconnectedButton_ = qs(pane.buttonTitle);

  archiveError_ = s.messageArchiveError->has_value() ? qs(**s.messageArchiveError) : QString();
  phonePlayer_ = s.media->has_value() ? playerMap(PlayerCard::phone(**s.media)) : QVariantMap();
  computerPlayer_ = s.macTrack->has_value() ? playerMap(PlayerCard::computer(**s.macTrack)) : QVariantMap();
  const EmptyState clipEmpty = clipboardEmptyState(features.clipboard);
  clipEmptyTitle_ = qs(clipEmpty.title);
  clipEmptyDetail_ = qs(clipEmpty.detail);
  emit changed();
}

void HubModel::refreshAges() {
  refreshNotifications();
  refreshConversations();
  refreshClips();
}

void HubModel::refreshNotifications() {
  const WallTime now = setup_.clock->wallNow();
  const bool messagesSeen = NotificationsColumn::messagesVisibleAndActive(selectedTab(), windowVisible_ && windowActive_);
  std::vector<KeyedListModel::Row> rows;
  for (const BridgeNotification& n : NotificationsColumn::shown(*store_->notifications, messagesSeen)) {
    const NotificationCard card = NotificationCard::of(n, now);
    const bool canRetry = card.replyFailed && lastReplies_.contains(card.id);
    rows.push_back({qs(card.id), qs(card.app), qs(card.title), qs(card.body), qs(card.age), card.canReply,
                    card.replyFailed, qs(card.replyFailure), canRetry});
  }
  notifications_.update(std::move(rows));
}

void HubModel::refreshConversations() {
  const WallTime now = setup_.clock->wallNow();
  const auto& list = *store_->chatConversations;
  std::vector<KeyedListModel::Row> rows;
  rows.reserve(list.size());
  for (const ChatConversation& c : list) {
    const ChatRow row = ChatRow::of(c, now);
    rows.push_back({qs(row.id), qs(row.contact), qs(row.app), qs(row.lastMessage), qs(row.time), row.canReply});
  }
  conversations_.update(std::move(rows));

  const auto selected = std::find_if(list.begin(), list.end(), [&](const ChatConversation& c) {
    return qs(c.id) == selectedConversation_;
  });
  std::vector<KeyedListModel::Row> lines;
  if (selected != list.end()) {
    const auto reasonFor = [this](const std::string& notificationID) -> std::optional<std::string> {
      for (const BridgeNotification& n : *store_->notifications) {
        if (n.id == notificationID && n.replyResult == false) return n.replyDetail;
      }
      return std::nullopt;
    };
    for (const ChatMessageLine& line : selected->messages) {
      const ChatBubble bubble = ChatBubble::of(line, now, reasonFor);
      lines.push_back({qs(bubble.id), qs(bubble.text), bubble.outgoing, qs(bubble.time),
                       QString::fromLatin1(ChatBubble::nameOf(bubble.mark)), qs(bubble.markText)});
    }
    threadContact_ = qs(selected->contact);
    threadApp_ = qs(selected->app);
    threadCanReply_ = selected->canReply;
  } else {
    threadContact_.clear();
    threadApp_.clear();
    threadCanReply_ = false;
  }
  thread_.update(std::move(lines));
  const auto empty = messagesEmptyState(!list.empty(), selected != list.end());
  messagesEmptyTitle_ = empty ? qs(empty->title) : QString();
  messagesEmptyDetail_ = empty ? qs(empty->detail) : QString();
  emit changed();
}

void HubModel::refreshClips() {
  const WallTime now = setup_.clock->wallNow();
  std::vector<KeyedListModel::Row> rows;
  for (const ClipEntry& entry : *store_->clipHistory) {
    const ClipCard card = ClipCard::of(entry, now);
    rows.push_back({qs(card.id), qs(card.text), qs(card.age), card.outgoing, qs(card.direction)});
  }
  clips_.update(std::move(rows));
}

void HubModel::refreshLinks() {
  std::vector<KeyedListModel::Row> rows;
  const auto& list = *store_->links;
  // Newest first, under the composer.
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    const LinkRow row = LinkRow::of(*it);
    rows.push_back({qs(row.id), qs(row.url), row.outgoing, QString::fromLatin1(LinkRow::nameOf(row.state)),
                    qs(row.stateText)});
  }
  links_.update(std::move(rows));
}

void HubModel::updateMessagesVisibility() {
  const bool seen = NotificationsColumn::messagesVisibleAndActive(selectedTab(), windowVisible_ && windowActive_);
  if (toldMessagesVisible_ == seen) return;
  toldMessagesVisible_ = seen;
  if (setup_.hub) setup_.hub->setMessagesTabVisibleAndActive(seen);
  refreshNotifications();
}

void HubModel::setWindowState(bool visible, bool active) {
  windowVisible_ = visible;
  windowActive_ = active;
  if (visible && !ages_.isActive()) {
    refreshAges();
    ages_.start();
  } else if (!visible) {
    ages_.stop();
  }
  updateMessagesVisibility();
}

void HubModel::pressPrimary() {
  const auto question = RailPrimaryAction::of(*store_).press(*store_, [this] {
    if (setup_.desktop) setup_.desktop->showPairingSheet();
  });
  if (!question) return;
  confirmation_ = question;
  refresh();
}

void HubModel::confirmAccept() {
  if (!confirmation_) return;
  const Confirmation question = *confirmation_;
  confirmation_.reset();
  question.confirm(*store_);
  refresh();
}

void HubModel::confirmCancel() {
  if (!confirmation_) return;
  confirmation_.reset();
  refresh();
}

void HubModel::toggleNotifications() {
  collapse_.press();
  refresh();
}

void HubModel::dismissNotification(const QString& id) { store_->dismissNotification(id.toStdString()); }

bool HubModel::replyToNotification(const QString& id, const QString& text) {
  const auto reply = NotificationCard::replyText(text.toStdString());
  if (!reply) return false;
  lastReplies_[id.toStdString()] = *reply;
  perform(BridgeAction::replyNotification(id.toStdString(), *reply));
  return true;
}

void HubModel::retryNotificationReply(const QString& id) {
  const auto found = lastReplies_.find(id.toStdString());
  if (found == lastReplies_.end()) return;
  perform(BridgeAction::replyNotification(found->first, found->second));
}

void HubModel::pressDisconnectedButton() {
  if (DisconnectedPane::of(*store_).button == DisconnectedPane::Button::reconnect) {
    // Restarts the server and nudges the phone directly.
    if (setup_.hub) setup_.hub->reconnectNow();
  } else if (setup_.desktop) {
    setup_.desktop->showPairingSheet();
  }
}

void HubModel::reconnect() { perform(BridgeAction::connect()); }
void HubModel::disconnect() { perform(BridgeAction::disconnect()); }

void HubModel::selectConversation(const QString& id) {
  if (selectedConversation_ == id) return;
  selectedConversation_ = id;
  refreshConversations();
}

bool HubModel::replyInConversation(const QString& text) {
  const auto reply = NotificationCard::replyText(text.toStdString());
  if (!reply || selectedConversation_.isEmpty() || !threadCanReply_) return false;
  store_->replyInConversation(selectedConversation_.toStdString(), *reply);
  return true;
}

void HubModel::retryChatLine(const QString& lineId) {
  const QVariant text = thread_.value(lineId, "text");
  if (!text.isValid() || thread_.value(lineId, "mark").toString() != QLatin1String("failed")) return;
  store_->replyInConversation(selectedConversation_.toStdString(), text.toString().toStdString());
}

void HubModel::sendClipboardNow() {
  if (setup_.hub) setup_.hub->sendClipboardNow();
}

void HubModel::clearClipHistory() { perform(BridgeAction::clearClipHistory()); }

void HubModel::copyClip(const QString& id) {
  const QVariant text = clips_.value(id, "text");
  if (!text.isValid()) return;
  if (setup_.hub) setup_.hub->copyToPasteboard(text.toString().toStdString());
  store_->record(BridgeActivity::Kind::clipboard, BridgeActivity::Direction::toMac, "Copied from history");
  // Marked by its text: copying it here sends it again, and it comes back to the front
  // of the history as a new entry.
  copiedClip_ = text.toString();
  emit changed();
}

bool HubModel::canSendLink(const QString& text) const { return LinkComposer::canSend(text.toStdString()); }

bool HubModel::sendLink(const QString& text) {
  const auto link = LinkComposer::linkToSend(text.toStdString());
  if (!link) return false;
  store_->sendLink(*link);
  return true;
}

void HubModel::openLink(const QString& url) {
  if (setup_.openLink) setup_.openLink(url.toStdString());
}

void HubModel::copyText(const QString& text) {
  if (setup_.hub) setup_.hub->copyToPasteboard(text.toStdString());
}

}  // namespace orvane
