// orvane-phone: a reference phone for Orvane's wire protocol (pair, authenticate,
// send anything, print everything that arrives, answer reconnect nudges).
#include <signal.h>

#include <chrono>
#include <iostream>
#include <memory>
#include <optional>

#include <asio/io_context.hpp>
#include <asio/steady_timer.hpp>

#include "event_line.hpp"
#include "exit_status.hpp"
#include "phone_commands.hpp"
#include "phone_options.hpp"
#include "stdin_lines.hpp"

using namespace orvane::phone;

int main(int argc, char** argv) {
  // A write to a connection the computer has just closed must come back as an error,
  // not end the process.
  ::signal(SIGPIPE, SIG_IGN);

  auto options = PhoneOptions::parse(std::vector<std::string>(argv + 1, argv + argc));
  if (!options) {
    std::cerr << "orvane-phone: " << options.error() << "\n\n" << PhoneOptions::usage();
    return ExitStatus::usage;
  }
  if (options->command == PhoneOptions::Command::help) {
    std::cout << PhoneOptions::usage();
    return ExitStatus::ok;
  }

  auto io = std::make_shared<asio::io_context>();
  std::optional<int> status;
  auto finish = [&status, context = io.get()](int code) {
    if (status) return;
    status = code;
    context->stop();
  };

  asio::steady_timer deadline(*io);
  if (options->timeoutSeconds) {
    const double seconds = *options->timeoutSeconds;
    deadline.expires_after(std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds)));
    deadline.async_wait([finish, seconds](const asio::error_code& ec) {
      if (ec) return;
      printEvent({{"event", "timeout"}, {"seconds", seconds}});
      printNote("timed out after " + std::to_string(seconds) + " s");
      finish(ExitStatus::timedOut);
    });
  }

  auto started = startCommand(*options, *io, finish);
  if (!started) {
    printNote(started.error().message);
    return started.error().status;
  }
  if (auto session = started->session) {
    std::weak_ptr<PhoneSession> weak = session;
    startStdinLines(io, [weak](std::string line) {
      if (auto s = weak.lock()) s->handleLine(line);
    });
  }
  started = StartedCommand{};  // from here on, the pending work on the io_context keeps them alive

  io->run();
  return status.value_or(ExitStatus::ok);
}
