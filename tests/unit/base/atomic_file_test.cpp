#include "base/atomic_file.hpp"

#include <gtest/gtest.h>

#include "temp_dir.hpp"
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace orvane {
namespace {

namespace fs = std::filesystem;

using testing::fileMode;
using testing::fileNamesIn;

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvane-atomic-file-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    root = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  fs::path root;
};

TEST_F(AtomicFileTest, WritesExactlyTheBytesWithExactlyTheModeWhateverTheUmask) {
  struct Row {
    mode_t umask;
    mode_t mode;
  };
  const Row rows[] = {{0, 0600}, {0077, 0644}, {0022, 0600}};
  const Bytes bytes = {'{', 0x00, 0xFF, '}', '\n'};
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << std::oct << "umask " << row.umask << " mode " << row.mode);
    const fs::path file = root / "record.json";
    const mode_t previous = ::umask(row.umask);
    const auto written = files::writeFileAtomically(file, bytes, row.mode);
    ::umask(previous);
    ASSERT_TRUE(written) << written.error();
    EXPECT_EQ(fileMode(file), row.mode);
    EXPECT_EQ(files::readFile(file), bytes);
    fs::remove(file);
  }
}

TEST_F(AtomicFileTest, ReplacesTheOldContentAndLeavesNoTemporaryFile) {
  const fs::path file = root / "record.json";
  ASSERT_TRUE(files::writeFileAtomically(file, Bytes(10000, 'a')));
  // A reader holding the old file keeps the old content: the new one is another inode.
  std::ifstream reader(file, std::ios::binary);
  ASSERT_TRUE(files::writeFileAtomically(file, toBytes("short")));
  EXPECT_EQ(files::readFile(file), toBytes("short"));
  std::string old((std::istreambuf_iterator<char>(reader)), {});
  EXPECT_EQ(old, std::string(10000, 'a'));
  EXPECT_EQ(fileNamesIn(root), std::vector<std::string>{"record.json"});
}

TEST_F(AtomicFileTest, FailsInAMissingFolderAndNamesThePath) {
  const fs::path file = root / "missing" / "record.json";
  const auto written = files::writeFileAtomically(file, toBytes("x"));
  ASSERT_FALSE(written);
  EXPECT_NE(written.error().find((root / "missing").string()), std::string::npos) << written.error();
  EXPECT_FALSE(fs::exists(root / "missing"));
}

TEST_F(AtomicFileTest, FailsOverAFolderAndCleansUp) {
  fs::create_directory(root / "record.json");
  EXPECT_FALSE(files::writeFileAtomically(root / "record.json", toBytes("x")));
  EXPECT_EQ(fileNamesIn(root), std::vector<std::string>{"record.json"});
}

TEST_F(AtomicFileTest, ReadFileGivesNoneForWhatIsNotARegularFile) {
  EXPECT_EQ(files::readFile(root / "missing"), std::nullopt);
  EXPECT_EQ(files::readFile(root), std::nullopt);
  // A pipe nobody writes to is refused at once, not waited on.
  ASSERT_EQ(::mkfifo((root / "pipe").c_str(), 0600), 0);
  EXPECT_EQ(files::readFile(root / "pipe"), std::nullopt);
  std::ofstream(root / "empty").close();
  EXPECT_EQ(files::readFile(root / "empty"), Bytes{});
}

TEST_F(AtomicFileTest, EnsureDirectoryMakesEveryLevelAndClosesTheLast) {
  const fs::path leaf = root / "a" / "b" / "Orvane";
  const mode_t previous = ::umask(0);
  const auto made = files::ensureDirectory(leaf);
  ::umask(previous);
  ASSERT_TRUE(made) << made.error();
  EXPECT_TRUE(fs::is_directory(leaf));
  EXPECT_EQ(fileMode(root / "a"), 0700u);
  EXPECT_EQ(fileMode(leaf), 0700u);

  // An existing, open folder is closed again; a trailing "/" changes nothing.
  fs::permissions(leaf, fs::perms(0755));
  ASSERT_TRUE(files::ensureDirectory(leaf.string() + "/"));
  EXPECT_EQ(fileMode(leaf), 0700u);
}

TEST_F(AtomicFileTest, EnsureDirectoryFailsWhenAFileIsInTheWay) {
  std::ofstream(root / "a").close();
  const auto made = files::ensureDirectory(root / "a" / "Orvane");
  ASSERT_FALSE(made);
  EXPECT_NE(made.error().find((root / "a").string()), std::string::npos) << made.error();
  EXPECT_FALSE(files::ensureDirectory(root / "a"));
}

}  // namespace
}  // namespace orvane
