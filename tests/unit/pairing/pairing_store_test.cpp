#include "pairing/pairing_store.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace orvane {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The legacy item as earlier versions stored it, spelled out here rather than taken
// from the code under test.
constexpr std::string_view legacyService = "com.orvane.app.mac";
constexpr std::string_view legacyAccount = "paired-device";
constexpr std::string_view migratedFlag = "zel.pairingMigratedToFile";

mode_t modeOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

std::string contentOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeRaw(const fs::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

std::vector<std::string> namesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

PairedDevice record(std::string id, std::optional<std::string> discovery = "042917") {
  return PairedDevice{std::move(id), "Pixel 8", "n4bQgYhMfWWaL+qgxVrQFaO/TxsrC4Is0V1sFbDwCgg=",
                      WallTime{} + 1767623400s + 500ms, std::move(discovery)};
}

class PairingStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvane-pairing-store-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    root = pattern;
    // Two levels that do not exist yet, as on a fresh account.
    folder = root / "share" / "Orvane";
    file = folder / "pairing.json";
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  PairingStore makeStore(std::optional<fs::path> at) { return PairingStore(std::move(at), keychain, defaults); }
  PairingStore makeStore() { return makeStore(folder); }
  void putLegacy(std::string_view json) { keychain->setGenericPassword(legacyService, legacyAccount, toBytes(json)); }
  std::optional<Bytes> legacy() { return keychain->genericPassword(legacyService, legacyAccount); }

  fs::path root, folder, file;
  std::shared_ptr<MemoryKeychain> keychain = std::make_shared<MemoryKeychain>();
  std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>();
};

TEST_F(PairingStoreTest, SaveWritesAPrivateFileInAPrivateFolder) {
  // A permissive umask must not leak into the modes.
  const mode_t previous = ::umask(0);
  auto store = makeStore();
  const auto saved = store.save(record("d-1"));
  ::umask(previous);
  ASSERT_TRUE(saved) << saved.error();

  EXPECT_EQ(store.fileURL(), file);
  EXPECT_EQ(modeOf(folder), 0700u);
  EXPECT_EQ(modeOf(file), 0600u);
  EXPECT_EQ(PairedDevice::fromJSON(toBytes(contentOf(file))), record("d-1"));
}

TEST_F(PairingStoreTest, TheFolderIsClosedAgainWhenItWasOpen) {
  fs::create_directories(folder);
  fs::permissions(folder, fs::perms(0755));
  ASSERT_EQ(modeOf(folder), 0755u);
  ASSERT_TRUE(makeStore().save(record("d-1")));
  EXPECT_EQ(modeOf(folder), 0700u);
}

TEST_F(PairingStoreTest, SaveReplacesTheRecordWholeAndLeavesNoTemporaryFile) {
  auto store = makeStore();
  ASSERT_TRUE(store.save(record("first-phone-with-a-long-identifier")));
  ASSERT_TRUE(store.save(record("second")));
  EXPECT_EQ(PairedDevice::fromJSON(toBytes(contentOf(file))), record("second"));
  EXPECT_EQ(namesIn(folder), std::vector<std::string>{"pairing.json"});
  EXPECT_EQ(store.load(), record("second"));
}

TEST_F(PairingStoreTest, SaveFailsWithoutALocationOrWhenTheFolderCannotBeWritten) {
  auto nowhere = makeStore(std::nullopt);
  EXPECT_EQ(nowhere.fileURL(), std::nullopt);
  const auto noLocation = nowhere.save(record("d-1"));
  ASSERT_FALSE(noLocation);
  EXPECT_EQ(noLocation.error(), "No such file or directory");
  EXPECT_EQ(nowhere.load(), std::nullopt);

  // A regular file where the folder should be.
  writeRaw(root / "share", "not a folder");
  const auto blocked = makeStore().save(record("d-1"));
  EXPECT_FALSE(blocked);
}

TEST_F(PairingStoreTest, ClearRemovesTheFileAndTheLegacyItem) {
  auto store = makeStore();
  ASSERT_TRUE(store.save(record("d-1")));
  putLegacy(record("old").toJSON());
  store.clear();
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(legacy(), std::nullopt);
  EXPECT_EQ(store.load(), std::nullopt);
}

TEST_F(PairingStoreTest, ClearWithoutALocationStillDeletesTheLegacyItem) {
  putLegacy(record("old").toJSON());
  makeStore(std::nullopt).clear();
  EXPECT_EQ(legacy(), std::nullopt);
}

TEST_F(PairingStoreTest, MigrationMovesTheLegacyBytesOnceAndDeletesTheItem) {
  // Formatting of the old encoder, kept byte for byte.
  const std::string old =
      "{\"deviceName\":\"Pixel 8\",\"pairedAt\":788316600.5,\"deviceID\":\"d-legacy\","
      "\"tokenHashB64\":\"n4bQgYhMfWWaL+qgxVrQFaO/TxsrC4Is0V1sFbDwCgg=\",\"discoveryToken\":\"000731\"}";
  putLegacy(old);
  auto store = makeStore();
  const auto loaded = store.load();
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->deviceID, "d-legacy");
  EXPECT_EQ(loaded->discoveryToken, "000731");
  EXPECT_EQ(contentOf(file), old);
  EXPECT_EQ(modeOf(file), 0600u);
  EXPECT_EQ(legacy(), std::nullopt);
  EXPECT_EQ(defaults->boolean(migratedFlag), true);
}

TEST_F(PairingStoreTest, MigrationDoesNotRunWhenTheFlagIsSet) {
  defaults->set(migratedFlag, true);
  putLegacy(record("old").toJSON());
  EXPECT_EQ(makeStore().load(), std::nullopt);
  EXPECT_TRUE(legacy());
  EXPECT_FALSE(fs::exists(file));
}

TEST_F(PairingStoreTest, AnUndecodableLegacyItemIsLeftAndNeverTriedAgain) {
  putLegacy("{\"deviceID\":");
  auto store = makeStore();
  EXPECT_EQ(store.load(), std::nullopt);
  EXPECT_EQ(defaults->boolean(migratedFlag), true);
  EXPECT_EQ(legacy(), toBytes("{\"deviceID\":"));

  // Even a readable item put there later stays where it is: the migration is spent.
  putLegacy(record("late").toJSON());
  EXPECT_EQ(store.load(), std::nullopt);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_TRUE(legacy());
}

TEST_F(PairingStoreTest, MigrationLeavesAnExistingFileAlone) {
  auto store = makeStore();
  ASSERT_TRUE(store.save(record("current")));
  putLegacy(record("old").toJSON());
  EXPECT_EQ(store.load(), record("current"));
  EXPECT_EQ(defaults->boolean(migratedFlag), true);
  EXPECT_TRUE(legacy());  // only a migration that wrote the file removes the item
}

TEST_F(PairingStoreTest, MigrationWithoutALocationOnlySetsTheFlag) {
  putLegacy(record("old").toJSON());
  makeStore(std::nullopt).migrateFromKeychainOnce();
  EXPECT_EQ(defaults->boolean(migratedFlag), true);
  EXPECT_TRUE(legacy());
}

TEST_F(PairingStoreTest, ARecordWithoutDiscoveryTokenGainsOneAndKeepsIt) {
  fs::create_directories(folder);
  writeRaw(file, record("d-1", std::nullopt).toJSON());
  ASSERT_EQ(contentOf(file).find("discoveryToken"), std::string::npos);

  const auto first = makeStore().load();
  ASSERT_TRUE(first);
  ASSERT_TRUE(first->discoveryToken);
  EXPECT_EQ(first->discoveryToken->size(), 6u);
  EXPECT_EQ(PairedDevice::fromJSON(toBytes(contentOf(file))), first);

  // The next start reads the same code back instead of making another.
  const auto second = makeStore().load();
  EXPECT_EQ(second, first);
}

TEST_F(PairingStoreTest, AMissingOrBrokenFileMeansNoPairedDevice) {
  auto store = makeStore();
  EXPECT_EQ(store.load(), std::nullopt);
  writeRaw(file, "{\"deviceID\":\"d\"}");
  EXPECT_EQ(store.load(), std::nullopt);
  writeRaw(file, "");
  EXPECT_EQ(store.load(), std::nullopt);
}

}  // namespace
}  // namespace orvane
