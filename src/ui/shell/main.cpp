// orvane-desktop: the desktop program (tray icon, popover, hub and settings windows),
// and the headless front end with the desktop's clipboard, links and image codecs,
// which `orvane` starts in its place where a run needs them.
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <iostream>
#include <memory>

#include "cli/headless_main.hpp"
#include "cli/quit_signals.hpp"
#include "cli/running_instance.hpp"
#include "ui/shell/desktop_shell.hpp"
#include "wiring/toolkit/toolkit_services.hpp"

namespace {

std::optional<bool> appearanceAskedFor() {
  const QByteArray asked = qgetenv("ORVANE_APPEARANCE");
  if (asked == "dark") return true;
  if (asked == "light") return false;
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  auto commandLine = orvane::cli::readCommandLine(argc, argv);
  if (commandLine.exitNow) return *commandLine.exitNow;
  auto& options = commandLine.options;
  if (auto handed = orvane::cli::handToRunningInstance(options)) return *handed;

  // Should the display be unreachable, Qt falls back to a platform of its own rather
  // than abort.
  const bool display = !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (display && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "xcb;offscreen" : "wayland;xcb;offscreen");
  }

  if (!options.headless && display) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("Orvane");
    QGuiApplication::setApplicationDisplayName("Orvane");
    QGuiApplication::setDesktopFileName("orvane");
    // The program lives in the tray: closing its windows does not end it.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    orvane::DesktopShell shell({options.verbose, appearanceAskedFor(), qEnvironmentVariableIsSet("ORVANE_REDUCE_MOTION")});
    orvane::cli::catchQuitSignals(app, [&shell] { shell.quit(); });
    if (auto failed = shell.start()) return *failed;
    return app.exec();
  }

  if (!options.headless) {
    std::cerr << "orvane: there is no display to show windows on; running headless.\n";
    options.headless = true;
  }
  // With a display there, the headless program still syncs the desktop's clipboard,
  // which needs the graphical application object; it opens no window.
  std::unique_ptr<QCoreApplication> app =
      display ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
  return orvane::cli::runHeadless(*app, options, orvane::toolkitServices());
}
