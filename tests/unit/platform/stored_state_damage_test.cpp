// What a start does with each stored file when it is damaged: nothing is lost
// silently. An unreadable file is kept beside the new one and said in the log; the
// identity the phone pins survives a damaged settings file; a key that cannot be
// read is kept, not deleted.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "base/atomic_file.hpp"
#include "base/fake_clock.hpp"
#include "pairing/pairing_store.hpp"
#include "pairing/tls_identity_manager.hpp"
#include "platform/linux/file_keychain.hpp"
#include "platform/linux/json_defaults_file.hpp"
#include "file_mode.hpp"
#include "temp_dir.hpp"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using orvane::testing::TempDir;

// The six ways a file was found damaged.
struct Damage {
  const char* name;
  std::string bytes;
};
const Damage damages[] = {
    {"empty", ""},
    {"truncated", "{\"deviceID\": \"pix"},
    {"garbage", std::string("\x00\x01PK\x03\x04\xff\xfe", 8)},
    {"an array", "[]"},
    {"wrong-typed", "{\"deviceID\": 7, \"deviceName\": [], \"zel.installID\": {\"x\": 1}}"},
    {"not UTF-8", "{\"k\": \"\xc3\x28\"}"},
};

void overwrite(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<fs::path> keptAside(const fs::path& folder, const std::string& name) {
  std::vector<fs::path> kept;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (entry.path().filename().string().starts_with(name + ".unreadable-")) kept.push_back(entry.path());
  }
  return kept;
}

std::string contentOf(const fs::path& path) {
  auto bytes = files::readFile(path);
  return bytes ? std::string(bytes->begin(), bytes->end()) : "<unreadable>";
}

// One installation on disk: settings, keychain and the support folder.
class Installation {
 public:
  explicit Installation(const fs::path& root) : root_(root) {}
  fs::path settingsFile() const { return root_ / "config" / "defaults.json"; }
  fs::path keychainFolder() const { return root_ / "keychain"; }
  fs::path supportFolder() const { return root_ / "Orvane"; }

  // What one start finds: the identity and the paired phone.
  struct Start {
    expected<MacIdentity, IdentityError> identity;
    PairingStore::Loaded pairing;
    std::vector<RecordingLogSink::Entry> log;
  };
  Start start() {
    auto log = std::make_shared<RecordingLogSink>();
    auto defaults = std::make_shared<JsonDefaultsFile>(settingsFile(), Logger(log, "defaults"));
    auto keychain = std::make_shared<FileKeychain>(keychainFolder());
    keychain->tidy();
    TLSIdentityManager identities(keychain, defaults, clock_);
    PairingStore store(supportFolder(), keychain, defaults);
    Start s{identities.loadOrCreate(), store.loadChecked(clock_.wallNow()), {}};
    if (!s.pairing.device && !s.pairing.problem && !paired_) {
      paired_ = true;
      PairedDevice phone{"pixel-8", "Pixel 8", "AAAA", clock_.wallNow(), "123456"};
      EXPECT_TRUE(store.save(phone));
      s.pairing.device = phone;
    }
    defaults->flush();
    s.log = log->entries();
    return s;
  }

 private:
  fs::path root_;
  FakeClock clock_;
  bool paired_ = false;
};

TEST(StoredStateDamage, EachDamagedFileIsKeptAsideAndTheRestCarriesOn) {
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.name);

    {  // The settings file: the identity the phone pins comes back from the keychain.
      TempDir tmp;
      Installation home(tmp.path());
      const auto first = home.start();
      ASSERT_TRUE(first.identity);
      overwrite(home.settingsFile(), damage.bytes);
      const auto second = home.start();
      ASSERT_TRUE(second.identity);
      EXPECT_EQ(second.identity->fingerprintSHA256, first.identity->fingerprintSHA256) << "the phone's pin still matches";
      const auto kept = keptAside(home.settingsFile().parent_path(), "defaults.json");
      ASSERT_EQ(kept.size(), 1u);
      EXPECT_EQ(contentOf(kept[0]), damage.bytes);
      EXPECT_TRUE(std::any_of(second.log.begin(), second.log.end(), [](const auto& e) { return e.level == LogLevel::error; }));
      EXPECT_EQ(test::modeOf(home.settingsFile()), 0600);
    }

    {  // The pairing record: kept aside, the start says so, nothing is paired.
      TempDir tmp;
      Installation home(tmp.path());
      ASSERT_TRUE(home.start().pairing.device);
      const fs::path record = home.supportFolder() / "pairing.json";
      overwrite(record, damage.bytes);
      const auto second = home.start();
      EXPECT_FALSE(second.pairing.device);
      ASSERT_TRUE(second.pairing.problem);
      const auto kept = keptAside(home.supportFolder(), "pairing.json");
      ASSERT_EQ(kept.size(), 1u);
      EXPECT_EQ(contentOf(kept[0]), damage.bytes);
      EXPECT_NE(second.pairing.problem->find(kept[0].filename().string()), std::string::npos);
      EXPECT_FALSE(fs::exists(record));
    }

    {  // The private key: kept aside instead of deleted; a new identity is made.
      TempDir tmp;
      Installation home(tmp.path());
      const auto first = home.start();
      ASSERT_TRUE(first.identity);
      std::vector<fs::path> keys;
      for (const auto& entry : fs::directory_iterator(home.keychainFolder())) {
        if (entry.path().filename().string().starts_with("key-")) keys.push_back(entry.path());
      }
      ASSERT_EQ(keys.size(), 1u);
      overwrite(keys[0], damage.bytes);
      const auto second = home.start();
      ASSERT_TRUE(second.identity);
      EXPECT_NE(second.identity->fingerprintSHA256, first.identity->fingerprintSHA256);
      const auto kept = keptAside(home.keychainFolder(), keys[0].filename().string());
      ASSERT_EQ(kept.size(), 1u) << "the unreadable key is kept";
      EXPECT_EQ(contentOf(kept[0]), damage.bytes);
      EXPECT_TRUE(second.identity->created);
      // The certificate the phone pinned is kept beside it, so the pair could be put back.
      bool certificateKept = false;
      for (const auto& entry : fs::directory_iterator(home.keychainFolder())) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("cert-") && name.find(".replaced-") != std::string::npos) {
          certificateKept = contentOf(entry.path()) == std::string(first.identity->certDER.begin(), first.identity->certDER.end());
        }
      }
      EXPECT_TRUE(certificateKept);
    }
  }
}

TEST(StoredStateDamage, KeychainFilesAreClosedAgainAndLeftoversRemovedAtStart) {
  TempDir tmp;
  Installation home(tmp.path());
  ASSERT_TRUE(home.start().identity);
  std::vector<fs::path> items;
  for (const auto& entry : fs::directory_iterator(home.keychainFolder())) items.push_back(entry.path());
  ASSERT_FALSE(items.empty());
  for (const auto& item : items) fs::permissions(item, fs::perms::all, fs::perm_options::replace);
  fs::permissions(home.keychainFolder(), fs::perms::all, fs::perm_options::replace);
  const fs::path leftover = home.keychainFolder() / ".cert-4f.der.tmp-1234";
  overwrite(leftover, "half");

  ASSERT_TRUE(home.start().identity);
  EXPECT_EQ(test::modeOf(home.keychainFolder()), 0700);
  for (const auto& item : items) EXPECT_EQ(test::modeOf(item), 0600) << item;
  EXPECT_FALSE(fs::exists(leftover));
}

// A writer killed at any moment leaves the old content or the new one, never a part,
// and the next start removes what the interrupted write left behind.
TEST(StoredStateDamage, AWriterKilledMidWriteLeavesOldOrNewAndNoTemporariesAfterTheNextStart) {
  TempDir tmp;
  const fs::path file = tmp.path() / "defaults.json";
  const std::string a(512 * 1024, 'a'), b(512 * 1024, 'b');
  ASSERT_TRUE(files::writeFileAtomically(file, toBytes(a)));
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; ++i) (void)files::writeFileAtomically(file, toBytes(i % 2 ? a : b));
    }
    // Killed at a different point of its write each round.
    ::usleep(static_cast<useconds_t>(2000 + round * 1700));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::string content = contentOf(file);
    EXPECT_TRUE(content == a || content == b) << "torn: " << content.size() << " bytes";

    files::removeLeftoverTemporaries(file);
    for (const auto& entry : fs::directory_iterator(tmp.path())) {
      EXPECT_EQ(entry.path().filename(), "defaults.json") << "left behind: " << entry.path();
    }
  }
}

}  // namespace
}  // namespace orvane
