#pragma once

#include <filesystem>
#include <fstream>
#include <memory>

#include "../hub_fixture.hpp"
#include "app/store/device_bridge_store.hpp"
#include "app/store/store_bridge.hpp"
#include "features/chats/message_archive.hpp"
#include "features/chats/message_archive_format.hpp"
#include "temp_dir.hpp"

namespace orvane::testing {

// The hub of HubTest with the store and its bridge on the same manual main queue, and
// the chats file in a temporary folder written by a manual archive queue: a test runs
// `settle()` to let every queued save, clear and reply reach the disk and come back.
class StoreTest : public HubTest {
 protected:
  void buildAll(bool startNow = true) {
    build(startNow);
    store = makeStore();
    bridge = StoreBridge::create(store, hub, &clock);
  }

  std::shared_ptr<DeviceBridgeStore> makeStore() {
    DeviceBridgeStoreServices s;
    s.main = main;
    s.clock = &clock;
    s.defaults = defaults;
    s.archive = std::make_shared<MessageArchive>(archiveQueue, folderLocator(), &clock);
    s.accessibilityTrusted = workspace->trusted;
    return DeviceBridgeStore::create(std::move(s));
  }

  MessageArchive::FolderLocator folderLocator() {
    return [this]() -> expected<std::filesystem::path, std::string> {
      if (folderFails) return unexpected(std::string("No such file or directory"));
      return folder.path() / "Orvane";
    };
  }

  void settle() {
    for (int round = 0; round < 10; ++round) {
      if (main->runUntilIdle() + archiveQueue->runUntilIdle() == 0) return;
    }
  }

  std::filesystem::path archivePath() const { return folder.path() / "Orvane" / "messages.json"; }
  std::string archiveText() const {
    std::ifstream in(archivePath());
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // A notification of the phone as the server reports it to the hub.
  void post(const std::string& id, const std::string& app, std::optional<std::string> title, std::string text,
            std::int64_t timeMs, bool replyable = true) {
    hub->serverNotifPosted(id, app, std::move(title), std::move(text), timeMs, replyable);
    settle();
  }

  TempDir folder;
  bool folderFails = false;
  std::shared_ptr<ManualQueue> archiveQueue = std::make_shared<ManualQueue>("archive", clock);
  std::shared_ptr<DeviceBridgeStore> store;
  std::shared_ptr<StoreBridge> bridge;
};

}  // namespace orvane::testing
