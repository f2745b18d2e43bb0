#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.hpp"
#include "app/legal_state.hpp"
#include "app/login_item.hpp"
#include "app/store/device_bridge_store.hpp"
#include "base/published.hpp"
#include "base/serial_queue.hpp"
#include "ui/models/header_options.hpp"
#include "ui/models/settings_history.hpp"

namespace orvane {

class DesktopModel;

// The settings window as QML reads it (context property `settingsModel`): the sections
// with their back and forward history, every row's value, and the user's changes sent on
// as store actions or kept in the user's defaults. Questions before something that cannot
// be undone are asked in the window. Main thread only.
class SettingsModel final : public QObject {
  Q_OBJECT
  Q_PROPERTY(QVariantList sections MEMBER sections_ CONSTANT)
  Q_PROPERTY(int section MEMBER section_ NOTIFY changed)
  Q_PROPERTY(bool canGoBack MEMBER canGoBack_ NOTIFY changed)
  Q_PROPERTY(bool canGoForward MEMBER canGoForward_ NOTIFY changed)
  Q_PROPERTY(QString footer MEMBER footer_ CONSTANT)
  // Devices.
  Q_PROPERTY(QString device MEMBER device_ NOTIFY changed)
  Q_PROPERTY(QString nameDraft MEMBER nameDraft_ NOTIFY changed)
  Q_PROPERTY(QString connection MEMBER connection_ NOTIFY changed)
  Q_PROPERTY(bool connected MEMBER connected_ NOTIFY changed)
  Q_PROPERTY(QVariantList phoneStatus MEMBER phoneStatus_ NOTIFY changed)
  Q_PROPERTY(QString serverAddress MEMBER serverAddress_ NOTIFY changed)
  Q_PROPERTY(QString phoneAddress MEMBER phoneAddress_ NOTIFY changed)
  Q_PROPERTY(QString lanToken MEMBER lanToken_ NOTIFY changed)
  Q_PROPERTY(QString primaryTitle MEMBER primaryTitle_ NOTIFY changed)
  Q_PROPERTY(bool paired MEMBER paired_ NOTIFY changed)
  // Features.
  Q_PROPERTY(bool clipboardOn MEMBER clipboardOn_ NOTIFY changed)
  Q_PROPERTY(bool headerTabs MEMBER headerTabs_ NOTIFY changed)
  Q_PROPERTY(bool headerQuickActions MEMBER headerQuickActions_ NOTIFY changed)
  Q_PROPERTY(bool autoOpenLinks MEMBER autoOpenLinks_ NOTIFY changed)
  Q_PROPERTY(bool canOpenAtLogin MEMBER canOpenAtLogin_ CONSTANT)
  Q_PROPERTY(bool openAtLogin MEMBER openAtLogin_ NOTIFY changed)
  Q_PROPERTY(QString openAtLoginError MEMBER openAtLoginError_ NOTIFY changed)
  // About.
  Q_PROPERTY(QString version MEMBER version_ NOTIFY changed)
  Q_PROPERTY(QString mediaBackend MEMBER mediaBackend_ NOTIFY changed)
  Q_PROPERTY(QString pairingText MEMBER pairingText_ NOTIFY changed)
  Q_PROPERTY(QString terms MEMBER terms_ NOTIFY changed)
  Q_PROPERTY(QString acceptedOn MEMBER acceptedOn_ NOTIFY changed)
  // Advanced.
  Q_PROPERTY(QString accessibility MEMBER accessibility_ NOTIFY changed)
  Q_PROPERTY(QString lastMediaCommand MEMBER lastMediaCommand_ NOTIFY changed)
  // The question asked before disconnecting, forgetting or clearing the chats; none while
  // `confirmTitle` is empty.
  Q_PROPERTY(QString confirmTitle MEMBER confirmTitle_ NOTIFY changed)
  Q_PROPERTY(QString confirmMessage MEMBER confirmMessage_ NOTIFY changed)
  Q_PROPERTY(QString confirmButton MEMBER confirmButton_ NOTIFY changed)

 public:
  struct Setup {
    std::shared_ptr<DeviceBridgeStore> store;
    std::shared_ptr<AppState> hub;
    std::shared_ptr<LegalState> legal;
    std::shared_ptr<HeaderOptions> header;
    std::shared_ptr<SerialQueue> main;
    std::shared_ptr<SettingsNavigation> navigation = std::make_shared<SettingsNavigation>();
    std::shared_ptr<LoginItem> loginItem;  // none: the switch is not offered
    DesktopModel* desktop = nullptr;       // pairing and the legal pages; outlives this model
    std::optional<std::string> versionText;
    std::function<bool()> systemPlayerAccess;
    // The discovery token of the stored paired-device record, read when the pairing changes.
    std::function<std::optional<std::string>()> storedDiscoveryToken;
  };

  explicit SettingsModel(Setup setup, QObject* parent = nullptr);
  ~SettingsModel() override;

  const SettingsHistory& history() const { return history_; }

  Q_INVOKABLE void selectSection(int index);
  Q_INVOKABLE void back();
  Q_INVOKABLE void forward();
  // True when a name went out.
  Q_INVOKABLE bool rename(const QString& name);
  // The first button: "Disconnect" (asks first), "Reconnect" or "Pair a device…".
  Q_INVOKABLE void pressPrimary();
  Q_INVOKABLE void pairNewDevice();
  Q_INVOKABLE void forget();
  Q_INVOKABLE void clearChats();
  Q_INVOKABLE void confirmAccept();
  Q_INVOKABLE void confirmCancel();
  Q_INVOKABLE void setClipboard(bool on);
  Q_INVOKABLE void setHeaderTabs(bool on);
  Q_INVOKABLE void setHeaderQuickActions(bool on);
  Q_INVOKABLE void setAutoOpenLinks(bool on);
  Q_INVOKABLE void setOpenAtLogin(bool on);
  Q_INVOKABLE void openAccessibilitySettings();
  Q_INVOKABLE void openPrivacy();
  Q_INVOKABLE void openTerms();

 signals:
  void changed();

 private:
  enum class Question { none, disconnect, forget, clearChats };
  void refresh();
  void ask(Question question);
  void pair();

  Setup setup_;
  std::shared_ptr<DeviceBridgeStore> store_;
  SettingsHistory history_;
  std::vector<Subscription> subscriptions_;
  Question question_ = Question::none;
  std::optional<std::string> storedToken_;

  QVariantList sections_;
  int section_ = 0;
  bool canGoBack_ = false, canGoForward_ = false;
  QString footer_;
  QString device_, nameDraft_, connection_, serverAddress_, phoneAddress_, lanToken_, primaryTitle_;
  bool connected_ = false, paired_ = false;
  QVariantList phoneStatus_;
  bool clipboardOn_ = false, headerTabs_ = false, headerQuickActions_ = false, autoOpenLinks_ = true;
  bool canOpenAtLogin_ = false, openAtLogin_ = false;
  QString openAtLoginError_;
  QString version_, mediaBackend_, pairingText_, terms_, acceptedOn_;
  QString accessibility_, lastMediaCommand_;
  QString confirmTitle_, confirmMessage_, confirmButton_;
};

}  // namespace orvane
