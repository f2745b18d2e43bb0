#include "platform/linux/json_defaults_file.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>
#include <thread>

#include "base/atomic_file.hpp"
#include "file_mode.hpp"
#include "temp_dir.hpp"

namespace orvane {
namespace {

using test::modeOf;
using orvane::testing::TempDir;

class JsonDefaultsFileTest : public ::testing::Test {
 protected:
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

TEST_F(JsonDefaultsFileTest, CorruptFileLoadsEmptyAndIsReplacedOnlyByTheFirstWrite) {
  struct Row {
    const char* name;
    std::string text;
  };
  const Row rows[] = {
      {"truncated", "{\"zel.installID\": \"AB"},
      {"not an object", "[1, 2, 3]"},
      {"not UTF-8", "{\"k\": \"\xFF\"}"},
      {"empty", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    writeText(row.text);
    JsonDefaultsFile defaults(file());
    EXPECT_FALSE(defaults.object("zel.installID").has_value());
    EXPECT_EQ(fileText(), row.text);  // reading alone leaves it as it was

    defaults.set("zel.installID", std::string("NEW"));
    EXPECT_EQ(JsonDefaultsFile(file()).string("zel.installID"), "NEW");
    EXPECT_EQ(modeOf(file()), 0600);
  }
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

TEST_F(JsonDefaultsFileTest, FailedWriteKeepsTheValueInMemoryAndSaysWhy) {
  std::filesystem::create_directories(tmp.path() / "config");
  std::ofstream(tmp.path() / "config" / "Orvane") << "a file where the folder should be";
  JsonDefaultsFile defaults(file());
  defaults.set("k", std::string("v"));
  EXPECT_EQ(defaults.string("k"), "v");
  ASSERT_TRUE(defaults.lastWriteError().has_value());
  EXPECT_NE(defaults.lastWriteError()->find("Orvane"), std::string::npos) << *defaults.lastWriteError();
}

TEST_F(JsonDefaultsFileTest, ConcurrentWritersLoseNothing) {
  {
    JsonDefaultsFile defaults(file());
    auto writer = [&](const std::string& prefix) {
      for (int i = 0; i < 20; ++i) defaults.set(prefix + std::to_string(i), std::int64_t{i});
    };
    std::thread a(writer, "a.");
    std::thread b(writer, "b.");
    a.join();
    b.join();
  }
  JsonDefaultsFile reopened(file());
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(reopened.integer("a." + std::to_string(i)), i);
    EXPECT_EQ(reopened.integer("b." + std::to_string(i)), i);
  }
}

}  // namespace
}  // namespace orvane
