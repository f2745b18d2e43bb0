#pragma once

#include <memory>
#include <string>

#include "cli/cli_options.hpp"
#include "cli/desktop_services.hpp"
#include "cli/event_printer.hpp"
#include "app/app_state.hpp"
#include "app/store/device_bridge_store.hpp"
#include "app/store/store_bridge.hpp"
#include "cli/headless_commands.hpp"
#include "cli/headless_view.hpp"
#include "cli/mac_media_services.hpp"
#include "server/pairing_server.hpp"

namespace orvane {
class AsioSerialQueue;
class AsioTransport;
class JsonDefaultsFile;
class QtMainQueue;
}  // namespace orvane

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
  void release();
  void finishArchiveWrites();

  Options options_;
  DesktopServices desktop_;
  std::shared_ptr<QtMainQueue> mainQueue_;
  std::shared_ptr<EventPrinter> printer_;
  std::shared_ptr<JsonDefaultsFile> defaults_;
  std::shared_ptr<AsioSerialQueue> serverQueue_;
  std::shared_ptr<AsioTransport> transport_;
  std::shared_ptr<PairingServer> server_;
  std::shared_ptr<HeadlessView> view_;
  std::shared_ptr<AppState> hub_;
  std::shared_ptr<SerialQueue> archiveQueue_;
  std::shared_ptr<DeviceBridgeStore> store_;
  std::shared_ptr<StoreBridge> bridge_;
  std::unique_ptr<HeadlessCommands> commands_;
  std::unique_ptr<MacMediaServices> media_;
  bool quitting_ = false;
};

}  // namespace orvane::cli
