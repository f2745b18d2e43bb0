#include "cli/headless_main.hpp"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <atomic>
#include <memory>

#include "cli/command_reader.hpp"
#include "cli/headless_app.hpp"
#include "platform/qt/qt_main_queue.hpp"

namespace orvane::cli {
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

int runHeadless(QCoreApplication& app, const Options& options, DesktopServices desktop) {
  QCoreApplication::setApplicationName("Orvane");
  HeadlessApp headless(options, std::move(desktop));

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

  auto mainQueue = std::make_shared<QtMainQueue>();
  CommandReader reader(mainQueue, [&headless](std::string line) { headless.handleCommand(line); });
  reader.start();

  QTimer::singleShot(0, &app, [] { loopRunning.store(true); });
  return app.exec();
}

}  // namespace orvane::cli
