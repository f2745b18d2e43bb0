#include "cli/quit_signals.hpp"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <atomic>

namespace orvane::cli {
namespace {

int signalPipe[2] = {-1, -1};
// Set once the event loop runs.
std::atomic<bool> loopRunning{false};

void onSignal(int signal) {
  if (!loopRunning.load()) ::_exit(128 + signal);
  const char byte = 1;
  // Only async-signal-safe work here: the event loop reads the pipe.
  [[maybe_unused]] auto n = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

void catchQuitSignals(QCoreApplication& app, std::function<void()> quit) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) == 0) {
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [quit = std::move(quit)] {
      char byte;
      [[maybe_unused]] auto n = ::read(signalPipe[0], &byte, 1);
      quit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
  }
  ::signal(SIGPIPE, SIG_IGN);
  QTimer::singleShot(0, &app, [] { loopRunning.store(true); });
}

}  // namespace orvane::cli
