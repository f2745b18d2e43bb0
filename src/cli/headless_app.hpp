#pragma once

#include <memory>
#include <string>

#include "app/legal_state.hpp"
#include "cli/cli_options.hpp"
#include "cli/event_printer.hpp"
#include "cli/headless_commands.hpp"
#include "cli/headless_view.hpp"
#include "wiring/desktop_services.hpp"
#include "wiring/program_core.hpp"

namespace orvane::cli {

// The program without windows: the hub and its server, events on standard output,
// commands from standard input, through the store as the windows do. Nothing here
// talks to the server but the hub. Runs inside a QCoreApplication, or a QGuiApplication
// when a display is there so that the desktop's clipboard is synced; what it takes
// from the desktop comes through `desktop`.
class HeadlessApp {
 public:
  HeadlessApp(Options options, DesktopServices desktop);
  ~HeadlessApp();

  // Sets everything up and starts serving; the exit status on failure.
  std::optional<int> start();
  // Runs one command line ("approve", "copy TEXT", "quit", …).
  void handleCommand(const std::string& line);
  // Asks the server to close its connections, then stops its queue and ends the event
  // loop; returns at once.
  void quit();

 private:
  bool passTermsGate(UserDefaults& defaults);
  void writeLastEvents();
  void release();

  Options options_;
  DesktopServices desktop_;  // handed to the core when it is made
  std::unique_ptr<ProgramCore> core_;
  std::shared_ptr<EventPrinter> printer_;
  std::shared_ptr<HeadlessView> view_;
  std::unique_ptr<HeadlessCommands> commands_;
  bool quitting_ = false;
};

}  // namespace orvane::cli
