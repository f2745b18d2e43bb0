// orvane-desktop: Orvane with Qt's graphical library, which `orvane` starts in its place
// where a run needs the desktop's clipboard, its handler of links or image codecs.
#include <QCoreApplication>
#include <QGuiApplication>
#include <iostream>
#include <memory>

#include "cli/headless_main.hpp"
#include "wiring/toolkit/toolkit_services.hpp"

int main(int argc, char** argv) {
  auto commandLine = orvane::cli::readCommandLine(argc, argv);
  if (commandLine.exitNow) return *commandLine.exitNow;
  auto& options = commandLine.options;
  if (!options.headless) {
    std::cerr << "orvane: this build has no desktop interface yet; running headless.\n";
    options.headless = true;
  }

  // With a display there, the headless program still syncs the desktop's clipboard,
  // which needs the graphical application object; it opens no window. Should the
  // display be unreachable, Qt falls back to a platform of its own rather than abort.
  const bool display = !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (display && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "xcb;offscreen" : "wayland;xcb;offscreen");
  }
  std::unique_ptr<QCoreApplication> app =
      display ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
  return orvane::cli::runHeadless(*app, options, orvane::toolkitServices());
}
