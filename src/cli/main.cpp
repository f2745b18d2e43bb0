// orvane: links this computer with one Android phone over the local network.
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <atomic>
#include <iostream>
#include <memory>

#include "cli/cli_options.hpp"
#include "cli/command_reader.hpp"
#include "cli/headless_app.hpp"
#include "platform/qt/qt_main_queue.hpp"

namespace {

int signalPipe[2] = {-1, -1};
// Set once the event loop runs; before that (the terms prompt, the start) a signal
// ends the program at once, as it would without a handler.
std::atomic<bool> loopRunning{false};

void onSignal(int signal) {
  if (!loopRunning.load()) ::_exit(128 + signal);
  const char byte = 1;
  // Only async-signal-safe work here: the event loop reads the pipe.
  [[maybe_unused]] auto n = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  auto parsed = orvane::cli::parseOptions(args);
  if (parsed.error) {
    std::cerr << "orvane: " << *parsed.error << "\n\n" << orvane::cli::usage();
    return 64;
  }
  if (parsed.options.help) {
    std::cout << orvane::cli::usage();
    return 0;
  }
  if (!parsed.options.headless) {
    std::cerr << "orvane: this build has no desktop interface yet; running headless.\n";
    parsed.options.headless = true;
  }

  // With a display there, the headless program still syncs the desktop's clipboard,
  // which needs the graphical application object; it opens no window. Should the
  // display be unreachable, Qt falls back to a platform of its own rather than abort.
  const bool display = !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (display && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "xcb;offscreen" : "wayland;xcb;offscreen");
  }
  std::unique_ptr<QCoreApplication> application =
      display ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
  QCoreApplication& app = *application;
  QCoreApplication::setApplicationName("Orvane");

  orvane::cli::HeadlessApp headless(parsed.options);

  // Signals are caught before any thread starts, so that every thread inherits the
  // same dispositions and a signal that comes early still ends the program cleanly.
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) == 0) {
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&headless] {
      char byte;
      [[maybe_unused]] auto n = ::read(signalPipe[0], &byte, 1);
      headless.quit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
  }
  ::signal(SIGPIPE, SIG_IGN);

  if (auto failed = headless.start()) return *failed;

  auto mainQueue = std::make_shared<orvane::QtMainQueue>();
  orvane::cli::CommandReader reader(mainQueue, [&headless](std::string line) { headless.handleCommand(line); });
  reader.start();

  QTimer::singleShot(0, &app, [] { loopRunning.store(true); });
  return app.exec();
}
