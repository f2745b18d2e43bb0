#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantList>
#include <QVariantMap>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.hpp"
#include "app/store/device_bridge_store.hpp"
#include "base/published.hpp"
#include "ui/models/confirmation.hpp"
#include "ui/models/header_options.hpp"
#include "ui/models/hub_tab.hpp"
#include "ui/models/notifications_column.hpp"
#include "ui/viewmodels/keyed_list_model.hpp"

namespace orvane {

class DesktopModel;

// The hub window's rail, header, panes and notifications column, as QML reads them
// (context property `hub`). The shared parts — the device's title, the selected tab,
// the palette, the pairing sheet — stay with the DesktopModel every window reads.
// Lists are KeyedListModels, so hundreds of rows update in place. Main thread only.
class HubModel final : public QObject {
  Q_OBJECT
  // The rail.
  Q_PROPERTY(QString railDetail MEMBER railDetail_ NOTIFY changed)
  Q_PROPERTY(QVariantList tiles MEMBER tiles_ NOTIFY changed)
  Q_PROPERTY(QVariantList featureDots MEMBER featureDots_ NOTIFY changed)
  Q_PROPERTY(QString primaryTitle MEMBER primaryTitle_ NOTIFY changed)
  Q_PROPERTY(QString primaryIcon MEMBER primaryIcon_ NOTIFY changed)
  Q_PROPERTY(QString primaryHelp MEMBER primaryHelp_ NOTIFY changed)
  Q_PROPERTY(QString connectionTitle MEMBER connectionTitle_ NOTIFY changed)
  Q_PROPERTY(QString footerVersion MEMBER footerVersion_ NOTIFY changed)
  // The question asked before disconnecting; none while `confirmTitle` is empty.
  Q_PROPERTY(QString confirmTitle MEMBER confirmTitle_ NOTIFY changed)
  Q_PROPERTY(QString confirmMessage MEMBER confirmMessage_ NOTIFY changed)
  Q_PROPERTY(QString confirmButton MEMBER confirmButton_ NOTIFY changed)
  // The header.
  Q_PROPERTY(bool headerTabs MEMBER headerTabs_ NOTIFY changed)
  Q_PROPERTY(bool headerQuickActions MEMBER headerQuickActions_ NOTIFY changed)
  // The notifications column.
  Q_PROPERTY(bool notificationsCollapsed MEMBER notificationsCollapsed_ NOTIFY changed)
  Q_PROPERTY(QString notificationsEmptyDetail MEMBER notificationsEmptyDetail_ NOTIFY changed)
  Q_PROPERTY(QObject* notifications READ notifications CONSTANT)
  // The centre while the link is down.
  Q_PROPERTY(QString disconnectedTitle MEMBER disconnectedTitle_ NOTIFY changed)
  Q_PROPERTY(QString disconnectedDetail MEMBER disconnectedDetail_ NOTIFY changed)
  Q_PROPERTY(QString disconnectedButton MEMBER disconnectedButton_ NOTIFY changed)
  // Messages.
  Q_PROPERTY(QObject* conversations READ conversations CONSTANT)
  Q_PROPERTY(QObject* thread READ thread CONSTANT)
  Q_PROPERTY(QString selectedConversation MEMBER selectedConversation_ NOTIFY changed)
  Q_PROPERTY(QString threadContact MEMBER threadContact_ NOTIFY changed)
  Q_PROPERTY(QString threadApp MEMBER threadApp_ NOTIFY changed)
  Q_PROPERTY(bool threadCanReply MEMBER threadCanReply_ NOTIFY changed)
  Q_PROPERTY(QString messagesEmptyTitle MEMBER messagesEmptyTitle_ NOTIFY changed)
  Q_PROPERTY(QString messagesEmptyDetail MEMBER messagesEmptyDetail_ NOTIFY changed)
  Q_PROPERTY(QString archiveError MEMBER archiveError_ NOTIFY changed)
  // Now Playing.
  Q_PROPERTY(QVariantMap phonePlayer MEMBER phonePlayer_ NOTIFY changed)
  Q_PROPERTY(QVariantMap computerPlayer MEMBER computerPlayer_ NOTIFY changed)
  // Clipboard.
  Q_PROPERTY(QObject* clips READ clips CONSTANT)
  Q_PROPERTY(QString clipEmptyTitle MEMBER clipEmptyTitle_ NOTIFY changed)
  Q_PROPERTY(QString clipEmptyDetail MEMBER clipEmptyDetail_ NOTIFY changed)
  // The text last copied from the history, marked "Copied" on its card.
  Q_PROPERTY(QString copiedClip MEMBER copiedClip_ NOTIFY changed)
  // Links.
  Q_PROPERTY(QObject* links READ links CONSTANT)

 public:
  struct Setup {
    std::shared_ptr<DeviceBridgeStore> store;
    std::shared_ptr<AppState> hub;
    std::shared_ptr<UserDefaults> defaults;
    std::shared_ptr<HeaderOptions> header;
    DesktopModel* desktop = nullptr;  // outlives this model
    std::optional<std::string> versionText;
    // Opens a link with the desktop's handler (the default browser for web links).
    std::function<void(const std::string& url)> openLink;
    const Clock* clock = &SystemClock::shared();  // what the ages are counted from
    // How often the ages ("12s ago") are brought up to date while the window is shown.
    int ageRefreshMs = 10000;
  };

  explicit HubModel(Setup setup, QObject* parent = nullptr);
  ~HubModel() override;

  KeyedListModel* notifications() { return &notifications_; }
  KeyedListModel* conversations() { return &conversations_; }
  KeyedListModel* thread() { return &thread_; }
  KeyedListModel* clips() { return &clips_; }
  KeyedListModel* links() { return &links_; }

  // The rail's primary action: disconnecting asks first.
  Q_INVOKABLE void pressPrimary();
  Q_INVOKABLE void confirmAccept();
  Q_INVOKABLE void confirmCancel();
  Q_INVOKABLE void toggleNotifications();
  Q_INVOKABLE void dismissNotification(const QString& id);
  // True when a reply went out, so the field is cleared; false leaves it as it was.
  Q_INVOKABLE bool replyToNotification(const QString& id, const QString& text);
  Q_INVOKABLE void retryNotificationReply(const QString& id);
  // The disconnected pane's button: reconnect to the paired phone, or pair one.
  Q_INVOKABLE void pressDisconnectedButton();
  Q_INVOKABLE void reconnect();
  Q_INVOKABLE void disconnect();
  Q_INVOKABLE void selectConversation(const QString& id);
  Q_INVOKABLE bool replyInConversation(const QString& text);
  Q_INVOKABLE void retryChatLine(const QString& lineId);
  Q_INVOKABLE void sendClipboardNow();
  Q_INVOKABLE void clearClipHistory();
  Q_INVOKABLE void copyClip(const QString& id);
  Q_INVOKABLE bool canSendLink(const QString& text) const;
  Q_INVOKABLE bool sendLink(const QString& text);
  Q_INVOKABLE void openLink(const QString& url);
  Q_INVOKABLE void copyText(const QString& text);
  // The window tells whether it is shown and active: the Messages pane counts as seen
  // only then, and the ages are kept current only while it is shown.
  Q_INVOKABLE void setWindowState(bool visible, bool active);

 signals:
  void changed();

 private:
  void refresh();
  void refreshNotifications();
  void refreshConversations();
  void refreshClips();
  void refreshLinks();
  void refreshAges();
  void updateMessagesVisibility();
  void perform(const BridgeAction& action);
  HubTab selectedTab() const;

  Setup setup_;
  std::shared_ptr<DeviceBridgeStore> store_;
  NotificationsCollapse collapse_;
  std::vector<Subscription> subscriptions_;
  QTimer ages_;
  bool windowVisible_ = false;
  bool windowActive_ = false;
  std::optional<bool> toldMessagesVisible_;
  std::optional<Confirmation> confirmation_;
  std::map<std::string, std::string> lastReplies_;  // notification id → the text last sent through it

  KeyedListModel notifications_;
  KeyedListModel conversations_;
  KeyedListModel thread_;
  KeyedListModel clips_;
  KeyedListModel links_;

  QString railDetail_, primaryTitle_, primaryIcon_, primaryHelp_, connectionTitle_, footerVersion_;
  QVariantList tiles_, featureDots_;
  QString confirmTitle_, confirmMessage_, confirmButton_;
  bool headerTabs_ = false;
  bool headerQuickActions_ = false;
  bool notificationsCollapsed_ = false;
  QString notificationsEmptyDetail_;
  QString disconnectedTitle_, disconnectedDetail_, disconnectedButton_;
  QString selectedConversation_, threadContact_, threadApp_;
  bool threadCanReply_ = false;
  QString messagesEmptyTitle_, messagesEmptyDetail_, archiveError_;
  QVariantMap phonePlayer_, computerPlayer_;
  QString clipEmptyTitle_, clipEmptyDetail_, copiedClip_;
};

}  // namespace orvane
