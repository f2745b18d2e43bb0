#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/app_state.hpp"
#include "app/store/device_bridge_store.hpp"
#include "app/store/store_bridge.hpp"
#include "base/expected.hpp"
#include "server/pairing_server.hpp"
#include "wiring/desktop_services.hpp"

namespace orvane {
class AsioSerialQueue;
class AsioTransport;
class JsonDefaultsFile;
class MacMediaServices;
class PairingStore;
class InstanceChannel;
class QtMainQueue;

// The long-lived objects every front end shares, made from the Linux and Qt adapters:
// the server on its own queue, the hub, the store and its bridge, this computer's
// player and the chats' writer. The server is made but not started: the front end
// starts it once the terms are accepted and its views watch. Made, used and released on
// the main thread, inside the Qt application object.
class ProgramCore {
 public:
  struct Failure {
    int exitStatus;
    std::string message;
  };

  // `defaults` are the program's settings, opened by the front end (which asks for the
  // terms with them before anything else starts). `say` shows a message to the user.
  static expected<std::unique_ptr<ProgramCore>, Failure> create(std::shared_ptr<LogSink> log,
                                                                 std::shared_ptr<JsonDefaultsFile> defaults,
                                                                 DesktopServices desktop,
                                                                 std::function<void(const std::string&)> say);
  ~ProgramCore();
  ProgramCore(const ProgramCore&) = delete;
  ProgramCore& operator=(const ProgramCore&) = delete;

  const std::shared_ptr<QtMainQueue>& mainQueue() const { return mainQueue_; }
  const std::shared_ptr<AppState>& hub() const { return hub_; }
  const std::shared_ptr<DeviceBridgeStore>& store() const { return store_; }
  const std::shared_ptr<JsonDefaultsFile>& defaults() const { return defaults_; }
  const std::shared_ptr<LogSink>& log() const { return log_; }
  const DesktopServices& desktop() const { return desktop_; }
  MacMediaServices& media() { return *media_; }
  // Listens for later starts of the program (InstanceChannel): they raise the windows
  // through `raise` or hand over a link, which is sent once `termsAccepted` says so.
  // False, having logged why, when another program holds the channel.
  bool listenForOtherStarts(std::function<bool()> termsAccepted, std::function<void()> raise);
  // The paired phone's stored record, for reading only (the server owns it).
  const std::shared_ptr<PairingStore>& pairingStore() const { return pairingStore_; }

  // Asks the server to close its connections and listener on its queue, then releases
  // everything on the main thread (see `release`) and runs `released`. Returns at once.
  void shutdown(std::function<void()> whileStoreLives, std::function<void()> released);
  // Releases everything now, in order. `whileStoreLives` runs once the last chats are
  // on disk and before the store goes (a view writes its last state there).
  void release(const std::function<void()>& whileStoreLives = {});

 private:
  ProgramCore() = default;
  void finishArchiveWrites();

  std::shared_ptr<LogSink> log_;
  std::shared_ptr<JsonDefaultsFile> defaults_;
  DesktopServices desktop_;
  std::function<void(const std::string&)> say_;
  std::shared_ptr<QtMainQueue> mainQueue_;
  std::shared_ptr<AsioSerialQueue> serverQueue_;
  std::shared_ptr<AsioTransport> transport_;
  std::unique_ptr<MacMediaServices> media_;
  std::shared_ptr<PairingStore> pairingStore_;
  std::unique_ptr<InstanceChannel> instanceChannel_;
  std::shared_ptr<PairingServer> server_;
  std::shared_ptr<AppState> hub_;
  std::shared_ptr<SerialQueue> archiveQueue_;
  std::shared_ptr<DeviceBridgeStore> store_;
  std::shared_ptr<StoreBridge> bridge_;
  bool released_ = false;
};

}  // namespace orvane
