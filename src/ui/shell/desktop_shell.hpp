#pragma once

#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>

#include "app/legal_state.hpp"
#include "ui/models/header_options.hpp"
#include "ui/viewmodels/desktop_model.hpp"
#include "ui/viewmodels/hub_model.hpp"
#include "ui/viewmodels/settings_model.hpp"
#include "wiring/program_core.hpp"

class QQmlApplicationEngine;
#include <QQuickWindow>
class QSystemTrayIcon;
class QMenu;

namespace orvane {
class DesktopImageProvider;


// The desktop program: the core, the tray icon with its popover, the hub window and
// the settings window. The server starts once the terms are accepted (at once when
// they were before). The program lives in the tray: closing its windows leaves it
// running; "Quit Orvane" ends it. Main thread only, inside a QApplication.
class DesktopShell final : public QObject {
  Q_OBJECT

 public:
  struct Options {
    bool verbose = false;
    // Light or dark panels and windows; none follows the desktop's palette.
    std::optional<bool> dark;
    bool reduceMotion = false;
  };

  explicit DesktopShell(Options options);
  ~DesktopShell() override;

  // Sets everything up; the exit status on failure.
  std::optional<int> start();
  // Brings the hub window forward, back on screen when it was left off every screen.
  void openHub();
  void openSettings();
  void togglePopover();
  // Asks the server to close its connections, then ends the event loop; returns at once.
  void quit();

  DesktopModel* model() const { return model_; }
  HubModel* hubModel() const { return hubModel_; }
  SettingsModel* settingsModel() const { return settingsModel_; }
  const std::shared_ptr<HeaderOptions>& headerOptions() const { return headerOptions_; }
  QQuickWindow* hubWindow() const { return hub_; }
  QQuickWindow* popoverWindow() const { return popover_; }
  QQuickWindow* settingsWindow() const { return settings_; }
  QSystemTrayIcon* trayIcon() const { return tray_; }
  ProgramCore& core() { return *core_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QQuickWindow* loadWindow(const char* file);
  void updateTray();
  void placePopover();
  void openDocument(const std::string& name);
  void openLink(const std::string& url);
  void restoreSettingsGeometry();
  void saveSettingsGeometry();

  Options options_;
  std::unique_ptr<ProgramCore> core_;
  std::shared_ptr<LegalState> legal_;
  QPointer<DesktopModel> model_;
  QPointer<HubModel> hubModel_;
  QPointer<SettingsModel> settingsModel_;
  std::shared_ptr<HeaderOptions> headerOptions_;
  DesktopImageProvider* images_ = nullptr;  // owned by the engine
  std::unique_ptr<QQmlApplicationEngine> engine_;
  QPointer<QQuickWindow> hub_;
  QPointer<QQuickWindow> popover_;
  QPointer<QQuickWindow> settings_;
  QSystemTrayIcon* tray_ = nullptr;
  std::unique_ptr<QMenu> trayMenu_;
  std::optional<bool> trayDrawnConnected_;  // the state the icon shows; none: to be drawn
  bool quitting_ = false;
  bool firstFrameReported_ = false;
  bool sheetShown_ = false;
};

}  // namespace orvane
