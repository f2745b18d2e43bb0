#pragma once

#include <memory>
#include <string>

#include "cli/cli_options.hpp"
#include "cli/event_printer.hpp"
#include "cli/headless_delegate.hpp"
#include "server/pairing_server.hpp"

namespace orvane {
class AsioSerialQueue;
class AsioTransport;
class JsonDefaultsFile;
class QtMainQueue;
}  // namespace orvane

namespace orvane::cli {

// The core without a display: the pairing server on its own queue, events on
// standard output, commands from standard input. Runs inside a QCoreApplication.
class HeadlessApp {
 public:
  explicit HeadlessApp(Options options);
  ~HeadlessApp();

  // Sets everything up and starts serving; the exit status on failure.
  std::optional<int> start();
  // Runs one command line ("approve", "quit", …).
  void handleCommand(const std::string& line);
  // Asks the server to close its connections, then stops its queue and ends the event
  // loop; returns at once.
  void quit();

 private:
  bool passTermsGate(UserDefaults& defaults);
  void release();

  Options options_;
  std::shared_ptr<QtMainQueue> mainQueue_;
  std::shared_ptr<EventPrinter> printer_;
  std::shared_ptr<JsonDefaultsFile> defaults_;
  std::shared_ptr<AsioSerialQueue> serverQueue_;
  std::shared_ptr<AsioTransport> transport_;
  std::shared_ptr<HeadlessDelegate> delegate_;
  std::shared_ptr<PairingServer> server_;
  bool quitting_ = false;
};

}  // namespace orvane::cli
