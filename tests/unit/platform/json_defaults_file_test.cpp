#include "platform/linux/json_defaults_file.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <future>
#include <sstream>
#include <thread>

#include "base/atomic_file.hpp"
#include "base/fake_clock.hpp"
#include "base/manual_queue.hpp"
#include "base/thread_queue.hpp"
#include "file_mode.hpp"
#include "temp_dir.hpp"

namespace orvane {
namespace {

using test::modeOf;
using orvane::testing::TempDir;
using namespace std::chrono_literals;

class JsonDefaultsFileTest : public ::testing::Test {
 protected:
  // A store whose delayed writes wait on `writer` until the test advances it.
  std::unique_ptr<JsonDefaultsFile> openManual() const {
    return std::make_unique<JsonDefaultsFile>(file(), Logger(), writer);
  }
  bool onDisk() const { return std::filesystem::exists(file()); }

  std::filesystem::path file() const { return tmp.path() / "config" / "Orvane" / "defaults.json"; }
  std::string fileText() const {
    std::optional<Bytes> bytes = files::readFile(file());
    return bytes ? toString(*bytes) : std::string();
  }
  void writeText(const std::string& text) const {
    std::filesystem::create_directories(file().parent_path());
    std::ofstream(file()) << text;
  }

  TempDir tmp;
  FakeClock clock;
  std::shared_ptr<ManualQueue> writer = std::make_shared<ManualQueue>("defaults writer", clock);
};

TEST_F(JsonDefaultsFileTest, EveryTypeSurvivesReopeningAsItself) {
  const WallTime when = WallTime{} + std::chrono::seconds(1767623400) + std::chrono::microseconds(123456);
  struct Row {
    const char* key;
    DefaultsValue value;
  };
  const Row rows[] = {
      {"orvane.name", std::string("Pixel — “home”")},
      {"orvane.empty", std::string()},
      {"zel.certMigratedToDefaults", true},
      {"orvane.off", false},
      {"orvane.count", std::int64_t{-9007199254740993}},
      {"orvane.whole", 3.0},
      {"orvane.ratio", 0.1},
      {"zel.tls-pubkey", Bytes{0x04, 0x00, 0xFF, 0x80}},
      {"zel.empty-data", Bytes{}},
      {"orvane.lastSeen", when},
  };
  {
    JsonDefaultsFile defaults(file());
    for (const Row& row : rows) defaults.set(row.key, row.value);
  }
  EXPECT_EQ(modeOf(file()), 0600);
  EXPECT_EQ(modeOf(file().parent_path()), 0700);

  JsonDefaultsFile reopened(file());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    EXPECT_EQ(reopened.object(row.key), row.value);
  }
  // A whole double stays a double, not an integer; an integer is not a bool.
  EXPECT_FALSE(reopened.integer("orvane.whole").has_value());
  EXPECT_FALSE(reopened.boolean("orvane.count").has_value());
}

TEST_F(JsonDefaultsFileTest, FileShapeIsPlainJson) {
  {
    JsonDefaultsFile defaults(file());
    defaults.set("zel.tls-cert-der", Bytes{'h', 'i'});
    defaults.set("orvane.at", WallTime{} + std::chrono::milliseconds(1500));
    defaults.set("zel.installID", std::string("ABC"));
    defaults.set("orvane.n", std::int64_t{42});
  }
  nlohmann::json root = nlohmann::json::parse(fileText());
  EXPECT_EQ(root["zel.tls-cert-der"], (nlohmann::json{{"data", "aGk="}}));
  EXPECT_EQ(root["orvane.at"], (nlohmann::json{{"date", 1.5}}));
  EXPECT_EQ(root["zel.installID"], "ABC");
  EXPECT_TRUE(root["orvane.n"].is_number_integer());
}

TEST_F(JsonDefaultsFileTest, RemoveIsWrittenThrough) {
  {
    JsonDefaultsFile defaults(file());
    defaults.set("a", std::string("1"));
    defaults.set("b", std::string("2"));
    defaults.remove("a");
    defaults.remove("never there");
  }
  JsonDefaultsFile reopened(file());
  EXPECT_FALSE(reopened.object("a").has_value());
  EXPECT_EQ(reopened.string("b"), "2");
}

TEST_F(JsonDefaultsFileTest, AnUnreadableFileIsKeptAsideLoggedAndNeverOverwritten) {
  struct Row {
    const char* name;
    std::string text;
  };
  const Row rows[] = {
      {"truncated", "{\"zel.installID\": \"AB"},
      {"not an object", "[1, 2, 3]"},
      {"a bare string", "\"zel.installID\""},
      {"not UTF-8", "{\"k\": \"\xFF\"}"},
      {"empty", ""},
      {"garbage", std::string("\x00\x01PK\x03\x04", 7)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove_all(file().parent_path());
    writeText(row.text);
    auto log = std::make_shared<RecordingLogSink>();
    auto defaults = std::make_unique<JsonDefaultsFile>(file(), Logger(log, "defaults"), writer);
    EXPECT_FALSE(defaults->object("zel.installID").has_value());
    EXPECT_FALSE(onDisk()) << "the unreadable file is moved aside, not left to be replaced";

    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(file().parent_path())) {
      if (entry.path().filename().string().starts_with("defaults.json.unreadable-")) kept.push_back(entry.path());
    }
    ASSERT_EQ(kept.size(), 1u);
    const auto keptBytes = files::readFile(kept[0]);
    ASSERT_TRUE(keptBytes);
    EXPECT_EQ(std::string(keptBytes->begin(), keptBytes->end()), row.text) << "kept byte for byte";
    ASSERT_EQ(log->entries().size(), 1u);
    EXPECT_EQ(log->entries()[0].level, LogLevel::error);
    EXPECT_NE(log->entries()[0].message.find(kept[0].filename().string()), std::string::npos)
        << "the log says where the file was kept";

    defaults->set("zel.installID", std::string("NEW"));
    defaults->flush();
    EXPECT_EQ(JsonDefaultsFile(file()).string("zel.installID"), "NEW");
    EXPECT_EQ(modeOf(file()), 0600);
    EXPECT_EQ(files::readFile(kept[0]), keptBytes) << "the kept file is left alone";
  }
}

TEST_F(JsonDefaultsFileTest, TemporariesOfAnInterruptedWriteAreRemovedAtOpen) {
  writeText("{\"a\": 1}\n");
  const auto leftover = file().parent_path() / ".defaults.json.tmp-0F1E2D3C";
  std::ofstream(leftover) << "{\"a\": 2";
  const auto unrelated = file().parent_path() / ".messages.json.tmp-AAAA";
  std::ofstream(unrelated) << "x";
  auto defaults = openManual();
  EXPECT_EQ(defaults->integer("a"), 1);
  EXPECT_FALSE(std::filesystem::exists(leftover));
  EXPECT_TRUE(std::filesystem::exists(unrelated)) << "another file's writer may be at work";
}

TEST_F(JsonDefaultsFileTest, MembersOfUnknownShapeAreDroppedOthersKept) {
  writeText(R"({"good": "yes", "null": null, "list": [1], "odd": {"x": 1},
               "badData": {"data": "not base64!"}, "both": {"data": "", "date": 1},
               "big": 18446744073709551615, "when": {"date": 2}})");
  JsonDefaultsFile defaults(file());
  EXPECT_EQ(defaults.string("good"), "yes");
  EXPECT_EQ(defaults.date("when"), WallTime{} + std::chrono::seconds(2));
  for (const char* key : {"null", "list", "odd", "badData", "both", "big"}) {
    SCOPED_TRACE(key);
    EXPECT_FALSE(defaults.object(key).has_value());
  }
}

TEST_F(JsonDefaultsFileTest, FailedWriteKeepsTheValueInMemoryAndSaysWhyAndTheNextFlushTriesAgain) {
  const auto obstacle = tmp.path() / "config" / "Orvane";
  std::filesystem::create_directories(obstacle.parent_path());
  std::ofstream(obstacle) << "a file where the folder should be";
  auto defaults = openManual();
  defaults->set("k", std::string("v"));
  writer->advance(JsonDefaultsFile::writeDelay);
  EXPECT_EQ(defaults->string("k"), "v");
  ASSERT_TRUE(defaults->lastWriteError().has_value());
  EXPECT_NE(defaults->lastWriteError()->find("Orvane"), std::string::npos) << *defaults->lastWriteError();
  EXPECT_EQ(defaults->writeCount(), 0u);

  // The change is still owed to the file; once the way is clear a flush writes it.
  std::filesystem::remove(obstacle);
  defaults->flush();
  EXPECT_FALSE(defaults->lastWriteError().has_value());
  EXPECT_EQ(defaults->writeCount(), 1u);
  EXPECT_EQ(JsonDefaultsFile(file()).string("k"), "v");
}

TEST_F(JsonDefaultsFileTest, ConcurrentWritersLoseNothing) {
  {
    JsonDefaultsFile defaults(file());
    auto writer = [&](const std::string& prefix) {
      for (int i = 0; i < 20; ++i) defaults.set(prefix + std::to_string(i), std::int64_t{i});
    };
    std::thread a(writer, "a.");
    std::thread b(writer, "b.");
    // Flushes race the writers and the store's own writer thread.
    std::thread flusher([&] {
      for (int i = 0; i < 10; ++i) defaults.flush();
    });
    a.join();
    b.join();
    flusher.join();
  }
  JsonDefaultsFile reopened(file());
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(reopened.integer("a." + std::to_string(i)), i);
    EXPECT_EQ(reopened.integer("b." + std::to_string(i)), i);
  }
}

// ---- Writing behind the caller ----

TEST_F(JsonDefaultsFileTest, ABurstOfChangesIsOneWriteAfterTheDelay) {
  auto defaults = openManual();
  for (int i = 0; i < 6; ++i) defaults->set("clip." + std::to_string(i), std::int64_t{i});
  defaults->set("clip.0", std::string("replaced"));
  defaults->remove("clip.5");
  EXPECT_EQ(writer->pending(), 1u) << "one write scheduled for the whole burst";
  // Readers see every change at once; the file does not exist yet.
  EXPECT_EQ(defaults->string("clip.0"), "replaced");
  EXPECT_FALSE(defaults->object("clip.5").has_value());
  EXPECT_FALSE(onDisk());

  writer->advance(JsonDefaultsFile::writeDelay - 1ms);
  EXPECT_FALSE(onDisk()) << "written before the delay was up";
  EXPECT_EQ(defaults->writeCount(), 0u);

  writer->advance(1ms);
  EXPECT_EQ(defaults->writeCount(), 1u);
  EXPECT_EQ(modeOf(file()), 0600);
  EXPECT_EQ(modeOf(file().parent_path()), 0700);
  const nlohmann::json root = nlohmann::json::parse(fileText());
  EXPECT_EQ(root, (nlohmann::json{{"clip.0", "replaced"}, {"clip.1", 1}, {"clip.2", 2}, {"clip.3", 3}, {"clip.4", 4}}));

  writer->advance(10s);
  EXPECT_EQ(defaults->writeCount(), 1u) << "a second write with nothing new";
}

TEST_F(JsonDefaultsFileTest, SetManyIsOneChangeAndOneWrite) {
  auto defaults = openManual();
  defaults->setMany({{"a", std::string("1")}, {"b", true}, {"c", Bytes{1, 2}}, {"a", std::string("2")}});
  EXPECT_EQ(defaults->string("a"), "2");
  EXPECT_EQ(writer->pending(), 1u);
  writer->advance(JsonDefaultsFile::writeDelay);
  EXPECT_EQ(defaults->writeCount(), 1u);
  EXPECT_EQ(modeOf(file()), 0600);

  JsonDefaultsFile reopened(file(), Logger(), writer);
  EXPECT_EQ(reopened.string("a"), "2");
  EXPECT_EQ(reopened.boolean("b"), true);
  EXPECT_EQ(reopened.data("c"), (Bytes{1, 2}));
}

TEST_F(JsonDefaultsFileTest, ChangesThatChangeNothingAreNotWritten) {
  auto defaults = openManual();
  defaults->set("k", std::string("v"));
  writer->advance(JsonDefaultsFile::writeDelay);
  ASSERT_EQ(defaults->writeCount(), 1u);

  defaults->set("k", std::string("v"));
  defaults->setMany({{"k", std::string("v")}});
  defaults->setMany({});
  defaults->remove("never there");
  EXPECT_EQ(writer->pending(), 0u);
  defaults->flush();
  EXPECT_EQ(defaults->writeCount(), 1u);

  // Another type is another value.
  defaults->set("k", true);
  writer->advance(JsonDefaultsFile::writeDelay);
  EXPECT_EQ(defaults->writeCount(), 2u);
}

TEST_F(JsonDefaultsFileTest, FlushWritesAtOnceAndOnlyWhatIsPending) {
  auto defaults = openManual();
  defaults->flush();  // nothing changed: nothing written
  EXPECT_FALSE(onDisk());
  EXPECT_EQ(defaults->writeCount(), 0u);

  defaults->set("k", std::int64_t{1});
  defaults->flush();
  EXPECT_EQ(defaults->writeCount(), 1u);
  EXPECT_EQ(JsonDefaultsFile(file(), Logger(), writer).integer("k"), 1);
  defaults->flush();
  writer->advance(JsonDefaultsFile::writeDelay);  // the scheduled write finds it done
  EXPECT_EQ(defaults->writeCount(), 1u);

  // A change after the flush is written by the next scheduled write.
  defaults->set("k", std::int64_t{2});
  writer->advance(JsonDefaultsFile::writeDelay);
  EXPECT_EQ(defaults->writeCount(), 2u);
  EXPECT_EQ(JsonDefaultsFile(file(), Logger(), writer).integer("k"), 2);
}

TEST_F(JsonDefaultsFileTest, TheLastChangesAreWrittenWhenTheStoreGoes) {
  openManual()->set("k", std::string("kept"));
  EXPECT_EQ(writer->pending(), 1u);
  EXPECT_EQ(JsonDefaultsFile(file(), Logger(), writer).string("k"), "kept");
  EXPECT_EQ(modeOf(file()), 0600);
  // The write still scheduled for the store that is gone does nothing.
  const std::string written = fileText();
  writer->advance(JsonDefaultsFile::writeDelay);
  EXPECT_EQ(fileText(), written);
}

// The store's own writer thread, as in the program: the file follows without a flush.
TEST_F(JsonDefaultsFileTest, OnAWriterThreadTheChangeReachesTheFileAfterTheDelay) {
  auto thread = std::make_shared<ThreadQueue>("defaults writer");
  JsonDefaultsFile defaults(file(), Logger(), thread);
  defaults.set("k", std::string("v"));
  // Due no earlier than the write, and posted after it: it runs after it.
  std::promise<void> afterWrite;
  thread->postAfter(JsonDefaultsFile::writeDelay, [&] { afterWrite.set_value(); });
  ASSERT_EQ(afterWrite.get_future().wait_for(5s), std::future_status::ready);
  EXPECT_EQ(defaults.writeCount(), 1u);
  EXPECT_EQ(nlohmann::json::parse(fileText()), (nlohmann::json{{"k", "v"}}));
}

}  // namespace
}  // namespace orvane
