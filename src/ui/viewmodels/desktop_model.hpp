#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/app_state.hpp"
#include "app/legal_state.hpp"
#include "app/store/device_bridge_store.hpp"
#include "base/published.hpp"
#include "ui/models/command_palette.hpp"
#include "ui/models/hub_tab.hpp"
#include "ui/models/legal_gate.hpp"
#include "ui/models/pairing_sheet_presenter.hpp"
#include "ui/models/stale_pairing_notice.hpp"

namespace orvane {

// What the shell does for the views: windows, the desktop's handler of links, quitting.
struct ShellActions {
  std::function<void()> openHub;
  std::function<void()> openSettings;
  std::function<void()> quit;
  std::function<void(const std::string& url)> openUrl;
};

// Everything the desktop's windows show, as QML reads it: the store's state worked out
// by the view models into texts and flags, and the user's intents sent back as store
// actions. One object for all surfaces, so that they always agree; every property
// changes with `changed`. Main thread only; the store and the hub must outlive it.
class DesktopModel final : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool legalAccepted READ legalAccepted NOTIFY changed)
  Q_PROPERTY(bool darkAppearance READ darkAppearance NOTIFY changed)
  Q_PROPERTY(bool reduceMotion READ reduceMotion NOTIFY changed)
  Q_PROPERTY(bool connected READ connected NOTIFY changed)
  Q_PROPERTY(QString deviceTitle MEMBER deviceTitle_ NOTIFY changed)
  Q_PROPERTY(QString statusWord MEMBER statusWord_ NOTIFY changed)
  Q_PROPERTY(QString statusSummary MEMBER statusSummary_ NOTIFY changed)
  Q_PROPERTY(QString headerSubtitle MEMBER headerSubtitle_ NOTIFY changed)
  Q_PROPERTY(QString notificationsText MEMBER notificationsText_ NOTIFY changed)
  Q_PROPERTY(bool clipboardOn MEMBER clipboardOn_ NOTIFY changed)
  Q_PROPERTY(bool hasMedia MEMBER hasMedia_ NOTIFY changed)
  Q_PROPERTY(QString mediaTitle MEMBER mediaTitle_ NOTIFY changed)
  Q_PROPERTY(QString mediaSubtitle MEMBER mediaSubtitle_ NOTIFY changed)
  Q_PROPERTY(QString playPauseLabel MEMBER playPauseLabel_ NOTIFY changed)
  Q_PROPERTY(QString mediaArtwork MEMBER mediaArtwork_ NOTIFY changed)
  Q_PROPERTY(QString versionText MEMBER versionText_ NOTIFY changed)
  Q_PROPERTY(int trafficPulse MEMBER trafficPulse_ NOTIFY changed)
  Q_PROPERTY(bool oldPairing MEMBER oldPairing_ NOTIFY changed)
  Q_PROPERTY(bool showPairing MEMBER showPairing_ NOTIFY changed)
  Q_PROPERTY(bool pairingApprovalStep MEMBER pairingApprovalStep_ NOTIFY changed)
  Q_PROPERTY(QString pairingSubtitle MEMBER pairingSubtitle_ NOTIFY changed)
  Q_PROPERTY(QString qrImageSource MEMBER qrImageSource_ NOTIFY changed)
  Q_PROPERTY(QString countdownText MEMBER countdownText_ NOTIFY changed)
  Q_PROPERTY(QString pendingDeviceName MEMBER pendingDeviceName_ NOTIFY changed)
  Q_PROPERTY(QString pairingAddress MEMBER pairingAddress_ NOTIFY changed)
  Q_PROPERTY(bool paletteOpen MEMBER paletteOpen_ NOTIFY changed)
  Q_PROPERTY(QString paletteQuery MEMBER paletteQuery_ NOTIFY changed)
  Q_PROPERTY(int paletteIndex MEMBER paletteIndex_ NOTIFY changed)
  Q_PROPERTY(QVariantList paletteItems MEMBER paletteItems_ NOTIFY changed)
  Q_PROPERTY(QString paletteEmptyText MEMBER paletteEmptyText_ NOTIFY changed)
  Q_PROPERTY(QVariantList tabs MEMBER tabs_ CONSTANT)
  Q_PROPERTY(int selectedTab MEMBER selectedTab_ NOTIFY changed)
  Q_PROPERTY(QString legalHeading MEMBER legalHeading_ CONSTANT)
  Q_PROPERTY(QString legalIntro MEMBER legalIntro_ CONSTANT)
  Q_PROPERTY(QStringList legalPoints MEMBER legalPoints_ CONSTANT)
  Q_PROPERTY(QString legalAgreement MEMBER legalAgreement_ CONSTANT)
  Q_PROPERTY(QString legalVersionLine MEMBER legalVersionLine_ CONSTANT)

 public:
  struct Setup {
    std::shared_ptr<DeviceBridgeStore> store;
    std::shared_ptr<AppState> hub;
    std::shared_ptr<LegalState> legal;
    ShellActions shell;
    std::optional<std::string> versionText;
    bool darkAppearance = false;
    bool reduceMotion = false;
    // Where the views find the QR code and the cover (an image provider's ids).
    QString imageRoot = QStringLiteral("image://orvane/");
    // Runs when the QR code or the cover changed, before the views hear of it, so that
    // the pictures they load for it are there (QML's bindings hear a signal before any
    // other receiver).
    std::function<void(const DesktopModel&)> picturesChanged;
  };
  static constexpr const char* privacyDocument = "privacy.html";
  static constexpr const char* termsDocument = "terms.html";

  explicit DesktopModel(Setup setup, QObject* parent = nullptr);
  ~DesktopModel() override;

  bool legalAccepted() const { return legal_->isAccepted(); }
  bool darkAppearance() const { return setup_.darkAppearance; }
  bool reduceMotion() const { return setup_.reduceMotion; }
  bool connected() const { return store_->connection->isConnected(); }
  int selectedTabIndex() const { return selectedTab_; }
  void setDarkAppearance(bool dark);
  void setReduceMotion(bool reduced);

  // The phone's QR code and cover as they are now, for the image provider.
  const std::optional<QRImage>& qrImage() const { return *store_->qrImage; }
  const std::optional<BridgeMedia>& media() const { return *store_->media; }

  Q_INVOKABLE void acceptTerms();
  Q_INVOKABLE void openHub();
  Q_INVOKABLE void openSettings();
  Q_INVOKABLE void quit();
  Q_INVOKABLE void setClipboard(bool on);
  Q_INVOKABLE void mediaPrevious();
  Q_INVOKABLE void mediaPlayPause();
  Q_INVOKABLE void mediaNext();
  Q_INVOKABLE void showPairingSheet();
  Q_INVOKABLE void dismissPairing();
  Q_INVOKABLE void approve();
  Q_INVOKABLE void deny();
  Q_INVOKABLE void newCode();
  Q_INVOKABLE void openPalette();
  Q_INVOKABLE void closePalette();
  Q_INVOKABLE void setPaletteQuery(const QString& query);
  Q_INVOKABLE void paletteKey(const QString& key);
  Q_INVOKABLE void paletteClick(int row);
  Q_INVOKABLE void selectTab(int index);
  Q_INVOKABLE void openPrivacy();
  Q_INVOKABLE void openTerms();

 signals:
  void changed();
  // The terms were accepted here: the shell starts the server.
  void termsAccepted();

 private:
  void refresh();
  void carryOut(const PaletteCommand& command);
  void perform(const BridgeAction& action);

  Setup setup_;
  std::shared_ptr<DeviceBridgeStore> store_;
  std::shared_ptr<LegalState> legal_;
  StalePairingNotice notice_;
  PairingSheetPresenter presenter_;
  CommandPalette palette_;
  std::vector<Subscription> subscriptions_;
  bool countdownShown_ = false;
  int qrRevision_ = 0;
  int artworkRevision_ = 0;
  // The revisions the pictures were last handed over at; none before the first time.
  std::optional<std::pair<int, int>> picturesHandedAt_;

  QString deviceTitle_, statusWord_, statusSummary_, headerSubtitle_, notificationsText_;
  bool clipboardOn_ = false;
  bool hasMedia_ = false;
  QString mediaTitle_, mediaSubtitle_, playPauseLabel_, mediaArtwork_, versionText_;
  int trafficPulse_ = 0;
  bool oldPairing_ = false;
  bool showPairing_ = false;
  bool pairingApprovalStep_ = false;
  QString pairingSubtitle_, qrImageSource_, countdownText_, pendingDeviceName_, pairingAddress_;
  bool paletteOpen_ = false;
  QString paletteQuery_;
  int paletteIndex_ = 0;
  QVariantList paletteItems_;
  QString paletteEmptyText_;
  QVariantList tabs_;
  int selectedTab_ = 0;
  QString legalHeading_, legalIntro_, legalAgreement_, legalVersionLine_;
  QStringList legalPoints_;
};

}  // namespace orvane
