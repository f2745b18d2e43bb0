#include "ui/shell/desktop_shell.hpp"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPalette>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickWindow>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <iostream>

#include "pairing/pairing_store.hpp"
#include "platform/linux/json_defaults_file.hpp"
#include "platform/linux/syslog_sink.hpp"
#include "platform/linux/xdg_autostart.hpp"
#include "platform/qt/qt_main_queue.hpp"
#include "ui/models/application_version.hpp"
#include "ui/models/menu_bar_icon.hpp"
#include "ui/shell/desktop_image_provider.hpp"
#include "ui/shell/menu_bar_image.hpp"
#include "wiring/mac_media_services.hpp"
#include "ui/shell/reduced_motion.hpp"
#include "ui/shell/symbol_icons.hpp"
#include "ui/shell/window_placement.hpp"
#include "ui/viewmodels/desktop_model.hpp"
#include "wiring/toolkit/toolkit_services.hpp"

namespace orvane {
namespace {

constexpr auto settingsFrameKey = "orvane.window.settings.frame";
// The hub comes forward a moment after launch, once the tray icon has settled.
constexpr int hubAtLaunchMs = 700;

bool paletteIsDark() {
  const QColor window = QGuiApplication::palette().color(QPalette::Window);
  return window.lightness() < 128;
}

// The terms and the privacy policy are shipped with the program: installed beside it,
// or in the source tree for a build that runs where it was made.
std::optional<std::filesystem::path> legalDocument(const std::string& name) {
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  std::vector<std::filesystem::path> places;
  if (!error) {
    // bin/ or libexec/orvane/ below the prefix.
    places.push_back(program.parent_path() / ".." / "share" / "orvane" / "legal" / name);
    places.push_back(program.parent_path() / ".." / ".." / "share" / "orvane" / "legal" / name);
  }
  places.push_back(std::filesystem::path(ORVANE_SOURCE_LEGAL_DIR) / name);
  for (const auto& place : places) {
    if (std::filesystem::is_regular_file(place, error)) return place.lexically_normal();
  }
  return std::nullopt;
}

// The `orvane` program that starts this one: beside it in a build, two folders up in
// bin/ once installed (this program lives in libexec/orvane/); by name otherwise.
std::string launcherCommand() {
  const std::filesystem::path here = QCoreApplication::applicationDirPath().toStdString();
  for (const auto& candidate : {here / "orvane", here / ".." / ".." / "bin" / "orvane"}) {
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error)) return std::filesystem::weakly_canonical(candidate).string();
  }
  return "orvane";
}

}  // namespace

DesktopShell::DesktopShell(Options options) : options_(options) {}

DesktopShell::~DesktopShell() {
  // The windows go before the model they read, the model before the core it reads.
  engine_.reset();
  delete settingsModel_.data();
  delete hubModel_.data();
  delete model_.data();
  if (core_) core_->release();
}

std::optional<int> DesktopShell::start() {
  auto log = std::make_shared<SyslogSink>(options_.verbose);
  auto defaults = JsonDefaultsFile::atDefaultLocation(Logger(log, "defaults"));
  if (!defaults) {
    std::cerr << "orvane: cannot open the settings file: " << defaults.error() << "\n";
    return 1;
  }
  auto core = ProgramCore::create(log, *defaults, toolkitServices(),
                                  [log](const std::string& text) { Logger(log, "shell").error(text); });
  if (!core) {
    std::cerr << "orvane: " << core.error().message << "\n";
    return core.error().exitStatus;
  }
  core_ = std::move(*core);
  legal_ = std::make_shared<LegalState>(*defaults);
  core_->listenForOtherStarts([this] { return legal_->isAccepted(); }, [this] { openHub(); });

  DesktopModel::Setup setup;
  setup.store = core_->store();
  setup.hub = core_->hub();
  setup.legal = legal_;
  setup.shell.openHub = [this] { openHub(); };
  setup.shell.openSettings = [this] { openSettings(); };
  setup.shell.quit = [this] { quit(); };
  setup.shell.openUrl = [this](const std::string& name) { openDocument(name); };
  const auto versionText = ApplicationVersion{ORVANE_VERSION, std::nullopt}.text();
  setup.versionText = versionText;
  setup.darkAppearance = options_.dark.value_or(paletteIsDark());
  setup.reduceMotion = options_.reduceMotion;
  setup.picturesChanged = [this](const DesktopModel& model) {
    if (images_) images_->update(model);
  };
  model_ = new DesktopModel(std::move(setup));
  // Asked for at start, the switch holds; otherwise the desktop's setting decides.
  if (!options_.reduceMotion) {
    auto* motion = new ReducedMotion();
    motion->setParent(this);
    motion->ask([this](bool reduced) {
      if (model_) model_->setReduceMotion(reduced);
    });
  }
  headerOptions_ = std::make_shared<HeaderOptions>(core_->defaults());
  HubModel::Setup hubSetup;
  hubSetup.store = core_->store();
  hubSetup.hub = core_->hub();
  hubSetup.defaults = core_->defaults();
  hubSetup.header = headerOptions_;
  hubSetup.desktop = model_;
  hubSetup.versionText = versionText;
  hubSetup.openLink = [this](const std::string& url) { openLink(url); };
  hubModel_ = new HubModel(std::move(hubSetup));
  SettingsModel::Setup settingsSetup;
  settingsSetup.store = core_->store();
  settingsSetup.hub = core_->hub();
  settingsSetup.legal = legal_;
  settingsSetup.header = headerOptions_;
  settingsSetup.main = core_->mainQueue();
  settingsSetup.desktop = model_;
  settingsSetup.versionText = versionText;
  settingsSetup.systemPlayerAccess = core_->media().canControlPlayers();
  settingsSetup.storedDiscoveryToken = [pairing = core_->pairingStore()]() -> std::optional<std::string> {
    const auto record = pairing->peek();
    return record ? record->discoveryToken : std::nullopt;
  };
  settingsSetup.loginItem = std::make_shared<XdgAutostart>(launcherCommand());
  settingsModel_ = new SettingsModel(std::move(settingsSetup));
  connect(model_, &DesktopModel::termsAccepted, this, [this] { core_->hub()->startServer(); });

  engine_ = std::make_unique<QQmlApplicationEngine>();
  images_ = new DesktopImageProvider();
  images_->update(*model_);
  engine_->addImageProvider(QStringLiteral("orvane"), images_);
  engine_->rootContext()->setContextProperty(QStringLiteral("orvane"), model_);
  engine_->rootContext()->setContextProperty(QStringLiteral("hub"), hubModel_);
  engine_->rootContext()->setContextProperty(QStringLiteral("settingsModel"), settingsModel_);
  hub_ = loadWindow("HubWindow.qml");
  popover_ = loadWindow("PopoverWindow.qml");
  settings_ = loadWindow("SettingsWindow.qml");
  if (!hub_ || !popover_ || !settings_) {
    std::cerr << "orvane: the windows could not be loaded\n";
    return 70;
  }
  // For the start-up benchmark: when the hub first reaches the screen.
  if (qEnvironmentVariableIsSet("ORVANE_REPORT_FIRST_FRAME")) {
    connect(hub_, &QQuickWindow::frameSwapped, this, [this] {
      if (firstFrameReported_) return;
      firstFrameReported_ = true;
      std::cerr << "orvane: first frame of the hub" << std::endl;
    });
  }
  restoreSettingsGeometry();
  connect(settings_, &QWindow::visibleChanged, this, [this](bool visible) {
    if (!visible) saveSettingsGeometry();
  });

  tray_ = new QSystemTrayIcon(this);
  trayMenu_ = std::make_unique<QMenu>();
  const bool dark = model_->darkAppearance();
  connect(trayMenu_->addAction(symbolIcon("macwindow", dark), QStringLiteral("Open Orvane")), &QAction::triggered,
          this, [this] { openHub(); });
  connect(trayMenu_->addAction(symbolIcon("gearshape", dark), QStringLiteral("Settings\u2026")), &QAction::triggered,
          this, [this] { openSettings(); });
  trayMenu_->addSeparator();
  connect(trayMenu_->addAction(QIcon::fromTheme(QStringLiteral("application-exit"), symbolIcon("power", dark)),
                               QStringLiteral("Quit Orvane")),
          &QAction::triggered, this, [this] { quit(); });
  tray_->setContextMenu(trayMenu_.get());
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) togglePopover();
  });
  connect(model_, &DesktopModel::changed, this, [this] {
    updateTray();
    // The pairing sheet lives in the hub: a phone asking to pair brings the hub forward
    // even when the user lives in the tray.
    const bool sheet = model_->property("showPairing").toBool();
    if (sheet && !sheetShown_ && hub_ && !hub_->isVisible()) openHub();
    sheetShown_ = sheet;
  });
  // Light and dark follow the desktop while it changes, unless asked for at start.
  if (!options_.dark) qApp->installEventFilter(this);
  updateTray();
  if (QSystemTrayIcon::isSystemTrayAvailable()) tray_->show();

  // Accepted before: the server starts now. Otherwise the terms gate starts it.
  if (legal_->isAccepted()) core_->hub()->startServer();
  QTimer::singleShot(hubAtLaunchMs, this, [this] { openHub(); });
  return std::nullopt;
}

QQuickWindow* DesktopShell::loadWindow(const char* file) {
  const QUrl url(QStringLiteral("qrc:/qt/qml/Orvane/") + QLatin1String(file));
  const auto before = engine_->rootObjects().size();
  engine_->load(url);
  if (engine_->rootObjects().size() == before) return nullptr;
  return qobject_cast<QQuickWindow*>(engine_->rootObjects().back());
}

void DesktopShell::updateTray() {
  const MenuBarIcon icon = MenuBarIcon::of(*core_->store());
  const QString label = QString::fromStdString(icon.accessibilityLabel);
  if (tray_->toolTip() != label) tray_->setToolTip(label);
  if (icon.connected == trayDrawnConnected_) return;
  trayDrawnConnected_ = icon.connected;
  QIcon drawn;
  for (double scale : {1.0, 2.0}) drawn.addPixmap(QPixmap::fromImage(MenuBarImage::draw(icon.connected, model_->darkAppearance(), scale)));
  tray_->setIcon(drawn);
}

bool DesktopShell::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ApplicationPaletteChange && watched == qApp && model_) {
    model_->setDarkAppearance(paletteIsDark());
    trayDrawnConnected_.reset();  // redrawn in the panel's new colour
    updateTray();
  }
  return QObject::eventFilter(watched, event);
}

void DesktopShell::openHub() {
  if (!hub_) return;
  bringForward(*hub_);
}

void DesktopShell::openSettings() {
  if (!settings_) return;
  bringForward(*settings_);
}

void DesktopShell::togglePopover() {
  if (!popover_) return;
  if (popover_->isVisible()) {
    popover_->hide();
    return;
  }
  placePopover();
  popover_->show();
  popover_->raise();
  popover_->requestActivate();
}

void DesktopShell::placePopover() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect icon = tray_ ? tray_->geometry() : QRect();
  popover_->setPosition(popoverPosition(icon, popover_->size(), screen->availableGeometry(), screen->geometry()));
}

void DesktopShell::openDocument(const std::string& name) {
  const auto document = legalDocument(name);
  if (!document) {
    Logger(core_->log(), "shell").error("the document " + name + " is not installed");
    return;
  }
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(document->string())))) {
    Logger(core_->log(), "shell").error("the desktop did not open " + document->string());
  }
}

void DesktopShell::openLink(const std::string& link) {
  // Only web links leave for the browser; anything else a row could hold stays put.
  const QUrl url(QString::fromStdString(link));
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
    Logger(core_->log(), "shell").error("not opened, not a web link: " + link);
    return;
  }
  if (!QDesktopServices::openUrl(url)) Logger(core_->log(), "shell").error("the desktop did not open " + link);
}

void DesktopShell::restoreSettingsGeometry() {
  const auto frame = core_->defaults()->string(settingsFrameKey);
  if (!frame) return;
  if (const auto rect = parseFrame(*frame)) {
    settings_->setGeometry(rect->x(), rect->y(), std::max(rect->width(), 700), std::max(rect->height(), 520));
  }
}

void DesktopShell::saveSettingsGeometry() {
  core_->defaults()->set(settingsFrameKey, formatFrame(settings_->geometry()));
}

void DesktopShell::quit() {
  if (quitting_) return;
  quitting_ = true;
  if (popover_) popover_->hide();
  if (hub_) hub_->hide();
  if (settings_) settings_->hide();
  if (tray_) tray_->hide();
  if (!core_) {
    QCoreApplication::quit();
    return;
  }
  core_->shutdown({}, [] { QCoreApplication::quit(); });
}

}  // namespace orvane
