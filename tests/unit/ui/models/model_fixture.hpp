#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/store/device_bridge_store.hpp"
#include "base/fake_clock.hpp"
#include "base/manual_queue.hpp"
#include "base/user_defaults.hpp"
#include "features/chats/message_archive.hpp"
#include "temp_dir.hpp"

namespace orvane::testing {

// A store on its own, with no hub behind it: a test sets the store's fields as the
// bridge would and reads what the views are to show. Actions sent through the store
// are kept in `sent`.
class ModelTest : public ::testing::Test {
 protected:
  ModelTest() {
    DeviceBridgeStoreServices s;
    s.main = main;
    s.clock = &clock;
    s.defaults = defaults;
    s.archive = std::make_shared<MessageArchive>(
        archiveQueue, [dir = folder.path()]() -> expected<std::filesystem::path, std::string> { return dir; }, &clock);
    store = DeviceBridgeStore::create(std::move(s));
    store->perform = [this](const BridgeAction& action) { sent.push_back(action); };
  }

  // A phone paired under `name`, as the bridge shows it.
  void pair(const std::string& name) {
    store->device = BridgeDevice{"phone-1", name, name, std::nullopt, false, clock.wallNow()};
    store->pairing = DeviceBridgeStore::PairingStatus::paired;
  }

  TempDir folder;
  FakeClock clock;
  std::shared_ptr<ManualQueue> main = std::make_shared<ManualQueue>("main", clock);
  std::shared_ptr<ManualQueue> archiveQueue = std::make_shared<ManualQueue>("archive", clock);
  std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>();
  std::shared_ptr<DeviceBridgeStore> store;
  std::vector<BridgeAction> sent;
};

}  // namespace orvane::testing
