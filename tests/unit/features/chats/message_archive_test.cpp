#include "features/chats/message_archive.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "base/atomic_file.hpp"
#include "base/fake_clock.hpp"
#include "base/manual_queue.hpp"
#include "chat_samples.hpp"
#include "features/chats/message_archive_format.hpp"
#include "temp_dir.hpp"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using namespace chat_samples;
using Result = expected<void, std::string>;

using testing::fileMode;
using testing::fileNamesIn;

std::size_t lineCount(const std::vector<ChatConversation>& conversations) {
  std::size_t count = 0;
  for (const auto& conversation : conversations) count += conversation.messages.size();
  return count;
}

// `count` incoming lines "<prefix>0"…, one second apart, the last at `last`.
std::vector<ChatMessageLine> linesUpTo(const std::string& prefix, int count, double last) {
  std::vector<ChatMessageLine> lines;
  for (int i = 0; i < count; ++i) lines.push_back(incoming(prefix, prefix + std::to_string(i), last - count + 1 + i));
  return lines;
}

ChatConversation withLines(const std::string& name, double updated, int count) {
  return conversation("messages|" + name, "Messages", name, updated, name, true, linesUpTo(name, count, updated));
}

// Public, so that the rows of a table can break the setup they are given.
class MessageArchiveTest : public ::testing::Test {
 public:
  MessageArchive makeArchive() {
    return MessageArchive(
        worker,
        [this]() -> expected<fs::path, std::string> {
          if (locatorFailure) return unexpected(*locatorFailure);
          return folder;
        },
        &clock);
  }

  Result saveNow(std::vector<ChatConversation> conversations, std::int64_t revision) {
    std::optional<Result> result;
    archive.save(std::move(conversations), revision, [&](Result r) { result = std::move(r); });
    worker->runUntilIdle();
    EXPECT_TRUE(result.has_value()) << "the save never completed";
    return result.value_or(unexpected(std::string("no completion")));
  }

  Result clearNow(std::int64_t revision) {
    std::optional<Result> result;
    archive.clear(revision, [&](Result r) { result = std::move(r); });
    worker->runUntilIdle();
    EXPECT_TRUE(result.has_value()) << "the clear never completed";
    return result.value_or(unexpected(std::string("no completion")));
  }

  std::int64_t latest() { return worker->enter([&] { return archive.latestRevision(); }); }

  fs::path file() const { return folder / "messages.json"; }

  // What the file holds, decoded; none when there is no file.
  std::optional<std::vector<ChatConversation>> stored() const {
    const auto bytes = files::readFile(file());
    if (!bytes) return std::nullopt;
    auto decoded = archive_format::decode(toString(*bytes));
    EXPECT_TRUE(decoded.has_value()) << decoded.error();
    return decoded.value_or(std::vector<ChatConversation>{});
  }

  testing::TempDir temp;
  fs::path folder = temp.path() / "data" / "Orvane";
  std::optional<std::string> locatorFailure;
  FakeClock clock;
  std::shared_ptr<ManualQueue> worker = std::make_shared<ManualQueue>("archive writer", clock);
  MessageArchive archive = makeArchive();
};

TEST_F(MessageArchiveTest, FileURLMakesAPrivateFolder) {
  const mode_t previous = ::umask(022);
  const auto url = archive.fileURL();
  ::umask(previous);
  ASSERT_TRUE(url.has_value()) << url.error();
  EXPECT_EQ(*url, folder / "messages.json");
  EXPECT_EQ(fileMode(folder), 0700u);
  EXPECT_EQ(fileMode(folder.parent_path()), 0700u);

  // A folder left open by something else is closed again.
  ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
  ASSERT_TRUE(archive.fileURL().has_value());
  EXPECT_EQ(fileMode(folder), 0700u);
}

TEST_F(MessageArchiveTest, SavesOnTheWorkerAFileOnlyItsOwnerReads) {
  const auto list = manyConversations(3, 4);
  std::optional<Result> result;
  bool onWorker = false;
  archive.save(list, 1, [&](Result r) {
    onWorker = worker->isCurrent();
    result = std::move(r);
  });
  EXPECT_FALSE(fs::exists(file())) << "written on the caller's thread";

  const mode_t previous = ::umask(0);
  worker->runUntilIdle();
  ::umask(previous);
  ASSERT_TRUE(result.has_value());
  ASSERT_TRUE(result->has_value()) << result->error();
  EXPECT_TRUE(onWorker);
  EXPECT_EQ(fileMode(file()), 0600u);
  EXPECT_EQ(fileMode(folder), 0700u);
  EXPECT_EQ(stored(), list);
  EXPECT_EQ(latest(), 1);
  EXPECT_EQ(fileNamesIn(folder), std::vector<std::string>{"messages.json"});
}

TEST_F(MessageArchiveTest, KeepsTheHundredNewestConversations) {
  const auto newestFirst = manyConversations(150, 2);
  auto shuffled = newestFirst;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
  ASSERT_TRUE(saveNow(shuffled, 1).has_value());

  const std::vector<ChatConversation> hundred(newestFirst.begin(), newestFirst.begin() + 100);
  EXPECT_EQ(stored(), hundred);
  // After a restart only those come back.
  const auto loaded = makeArchive().load();
  EXPECT_EQ(loaded.error, std::nullopt);
  EXPECT_EQ(loaded.conversations, hundred);
}

TEST_F(MessageArchiveTest, NeverWritesMoreThanTheLineBudget) {
  // 100 conversations of 12 lines: the newest 83 keep all (996), the 84th its newest
  // 4, the 16 after it none.
  const auto list = manyConversations(100, 12);
  ASSERT_TRUE(saveNow(list, 1).has_value());
  const auto written = stored();
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(lineCount(*written), 1000u);
  ASSERT_EQ(written->size(), 84u);
  EXPECT_EQ((*written)[82], list[82]);
  EXPECT_EQ((*written)[83].messages, std::vector<ChatMessageLine>(list[83].messages.end() - 4, list[83].messages.end()));
}

TEST(MessageArchiveBounded, CutsToTheNewestConversationsAndLines) {
  struct Row {
    const char* name;
    std::vector<ChatConversation> input;
    std::vector<ChatConversation> expected;
  };
  std::vector<ChatConversation> hundredOfTen;
  for (int i = 0; i < 100; ++i) hundredOfTen.push_back(withLines("c" + std::to_string(i), 1000 - i, 10));
  const auto hundredFiftyOfOne = manyConversations(150, 1);

  std::vector<Row> rows = {
      {"under the budget only conversations without lines go",
       {withLines("a", 300, 3), withLines("b", 200, 0), withLines("c", 100, 2)},
       {withLines("a", 300, 3), withLines("c", 100, 2)}},
      {"newest first, equal times in their order",
       {withLines("c", 100, 1), withLines("a", 300, 1), withLines("b1", 200, 1), withLines("b2", 200, 1)},
       {withLines("a", 300, 1), withLines("b1", 200, 1), withLines("b2", 200, 1), withLines("c", 100, 1)}},
      {"exactly the budget stays whole", hundredOfTen, hundredOfTen},
      {"the 100 newest conversations",
       hundredFiftyOfOne,
       std::vector<ChatConversation>(hundredFiftyOfOne.begin(), hundredFiftyOfOne.begin() + 100)},
  };
  {
    // The budget runs out inside the second conversation: it keeps its newest 400
    // lines and the third, whose turn never comes, is dropped whole.
    Row row{"the budget spent inside a conversation",
            {withLines("a", 3000, 600), withLines("b", 2000, 600), withLines("c", 1000, 600)},
            {withLines("a", 3000, 600), withLines("b", 2000, 600)}};
    auto& cut = row.expected[1].messages;
    cut.erase(cut.begin(), cut.begin() + 200);
    rows.push_back(std::move(row));
  }
  rows.push_back({"the budget spent exactly at a conversation's end drops the rest",
                  {withLines("a", 3000, 1000), withLines("b", 2000, 5)},
                  {withLines("a", 3000, 1000)}});

  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto bounded = MessageArchive::bounded(row.input);
    EXPECT_EQ(bounded, row.expected);
    EXPECT_LE(bounded.size(), MessageArchive::maxConversations);
    EXPECT_LE(lineCount(bounded), MessageArchive::maxLines);
  }
}

TEST_F(MessageArchiveTest, AStaleSaveOrClearChangesNothing) {
  enum class Kind { save, clear };
  struct Op {
    Kind kind;
    std::int64_t revision;
    int content = 0;  // index into `contents`, for saves
  };
  struct Row {
    const char* name;
    std::vector<Op> arrivals;  // in the order they reach the worker
    std::optional<int> content;  // what the file holds at the end; none: no file
    std::int64_t latest;
  };
  const std::vector<ChatConversation> contents[] = {{withLines("first", 10, 1)}, {withLines("second", 20, 2)}};
  const std::vector<ChatConversation> before = {withLines("before", 1, 1)};
  const Row rows[] = {
      {"in order", {{Kind::save, 1, 0}, {Kind::save, 2, 1}}, 1, 2},
      {"a later save arrives first", {{Kind::save, 2, 1}, {Kind::save, 1, 0}}, 1, 2},
      {"a clear arrives before the save requested ahead of it", {{Kind::clear, 3}, {Kind::save, 2, 0}}, std::nullopt, 3},
      {"a save then a later clear", {{Kind::save, 2, 0}, {Kind::clear, 3}}, std::nullopt, 3},
      {"a clear arrives after a later save", {{Kind::save, 3, 1}, {Kind::clear, 2}}, 1, 3},
      {"the same revision again is not stale", {{Kind::save, 2, 0}, {Kind::save, 2, 1}}, 1, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // A file from an earlier run, and an archive that has done nothing yet.
    ASSERT_TRUE(files::ensureDirectory(folder));
    ASSERT_TRUE(files::writeFileAtomically(file(), toBytes(archive_format::encode(before))));
    archive = makeArchive();

    int completed = 0;
    const auto done = [&](Result r) {
      ++completed;
      EXPECT_TRUE(r.has_value()) << r.error();
    };
    for (const Op& op : row.arrivals) {
      if (op.kind == Kind::save) archive.save(contents[op.content], op.revision, done);
      if (op.kind == Kind::clear) archive.clear(op.revision, done);
    }
    EXPECT_EQ(completed, 0);
    worker->runUntilIdle();
    EXPECT_EQ(completed, static_cast<int>(row.arrivals.size()));
    EXPECT_EQ(latest(), row.latest);
    if (row.content) {
      EXPECT_EQ(stored(), contents[*row.content]);
    } else {
      EXPECT_FALSE(fs::exists(file()));
    }
  }
}

TEST_F(MessageArchiveTest, AFailureLeavesTheRevisionWhereItWas) {
  struct Row {
    const char* name;
    std::function<void(MessageArchiveTest&, const fs::path& base)> breakIt;
    // "{folder}" and "{file}" stand for the paths in use once it is broken.
    std::string saveFault;
    std::string clearFault;
  };
  const Row rows[] = {
      {"no data folder", [](MessageArchiveTest& t, const fs::path&) { t.locatorFailure = "No such file or directory"; },
       "No such file or directory", "No such file or directory"},
      {"a file where the folder belongs",
       [](MessageArchiveTest& t, const fs::path& base) {
         std::ofstream(base / "blocked") << "x";
         t.folder = base / "blocked" / "Orvane";
       },
       "the folder {folder} could not be made: Not a directory",
       "the folder {folder} could not be made: Not a directory"},
      {"a folder where the file belongs",
       [](MessageArchiveTest& t, const fs::path&) {
         fs::remove(t.file());
         fs::create_directories(t.file() / "inside");
       },
       "{file} could not be written: Is a directory", "{file} could not be removed: Is a directory"},
  };
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const fs::path base = temp.path() / ("case" + std::to_string(++n));
    folder = base / "Orvane";
    locatorFailure.reset();
    archive = makeArchive();
    ASSERT_TRUE(saveNow({withLines("a", 10, 1)}, 1).has_value());

    row.breakIt(*this, base);
    const auto spelled = [&](std::string fault) {
      for (const auto& [mark, path] : {std::pair{std::string("{folder}"), folder}, std::pair{std::string("{file}"), file()}}) {
        if (const auto at = fault.find(mark); at != std::string::npos) fault.replace(at, mark.size(), path.string());
      }
      return fault;
    };
    const Result saved = saveNow({withLines("b", 20, 1)}, 5);
    ASSERT_FALSE(saved.has_value());
    EXPECT_EQ(saved.error(), spelled(row.saveFault));
    EXPECT_EQ(latest(), 1);
    const Result cleared = clearNow(6);
    ASSERT_FALSE(cleared.has_value());
    EXPECT_EQ(cleared.error(), spelled(row.clearFault));
    EXPECT_EQ(latest(), 1);
  }
}

TEST_F(MessageArchiveTest, ClearRemovesTheFileAndAMissingFileIsNoFailure) {
  ASSERT_TRUE(saveNow(manyConversations(2, 2), 1).has_value());
  ASSERT_TRUE(fs::exists(file()));
  ASSERT_TRUE(clearNow(2).has_value());
  EXPECT_FALSE(fs::exists(file()));
  EXPECT_EQ(latest(), 2);
  ASSERT_TRUE(clearNow(3).has_value());
  EXPECT_EQ(latest(), 3);
}

TEST_F(MessageArchiveTest, ASaveRequestedJustBeforeTheArchiveGoesStillHappens) {
  std::optional<Result> result;
  {
    MessageArchive shortLived = makeArchive();
    shortLived.save(manyConversations(1, 1), 1, [&](Result r) { result = std::move(r); });
  }
  worker->runUntilIdle();
  ASSERT_TRUE(result.has_value());
  EXPECT_TRUE(result->has_value());
  EXPECT_EQ(stored(), manyConversations(1, 1));
}

class MessageArchiveLoadTest : public MessageArchiveTest {
 protected:
  void SetUp() override { ASSERT_TRUE(files::ensureDirectory(folder)); }
  void put(const std::string& content) { ASSERT_TRUE(files::writeFileAtomically(file(), toBytes(content))); }
  // FakeClock's wall time, as the name of a file kept aside.
  static constexpr const char* keptName = "messages.json.unreadable-20260105T143000Z";
};

TEST_F(MessageArchiveLoadTest, NoFileIsAnEmptyListAndNoError) {
  const auto loaded = archive.load();
  EXPECT_TRUE(loaded.conversations.empty());
  EXPECT_EQ(loaded.error, std::nullopt);
}

TEST_F(MessageArchiveLoadTest, ReadsTheConversationsInTheFileOrder) {
  // Not newest first: the file's order is kept as it is.
  const std::vector<ChatConversation> written = {withLines("older", 10, 2), withLines("newer", 20, 1)};
  put(archive_format::encode(written));
  // Left by a write that was cut short; it must not stay around for ever.
  std::ofstream(folder / ".messages.json.tmp-cut") << "[{\"id\":";
  const auto loaded = archive.load();
  EXPECT_EQ(loaded.error, std::nullopt);
  EXPECT_EQ(loaded.conversations, written);
  EXPECT_EQ(fileNamesIn(folder), std::vector<std::string>{"messages.json"});
}

TEST_F(MessageArchiveLoadTest, AFileThatDoesNotDecodeIsKeptAsideBeforeAnySave) {
  const std::string good = archive_format::encode({withLines("a", 10, 2)});
  nlohmann::json withoutCanReply = nlohmann::json::parse(good);
  withoutCanReply[0].erase("canReply");
  nlohmann::json unknownDelivery = nlohmann::json::parse(good);
  unknownDelivery[0]["messages"][1]["delivery"] = "delivered";
  nlohmann::json wrongType = nlohmann::json::parse(good);
  wrongType[0]["messages"] = "none";
  struct Row {
    const char* name;
    std::string content;
    std::string fault;
  };
  const Row rows[] = {
      {"no \"canReply\"", withoutCanReply.dump(), R"(conversation 1 has no "canReply")"},
      {"an unknown delivery", unknownDelivery.dump(), R"(message 2 of conversation 1 has an unknown "delivery": "delivered")"},
      {"a wrong type", wrongType.dump(), R"("messages" of conversation 1 is not a list)"},
      {"not JSON", "[{\"id\"", "the file is not valid JSON (it goes wrong near byte 7)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    for (const auto& entry : fs::directory_iterator(folder)) fs::remove(entry.path());
    put(row.content);

    const auto loaded = archive.load();
    EXPECT_TRUE(loaded.conversations.empty());
    EXPECT_EQ(loaded.error, row.fault + "; the file was kept as " + keptName);
    // Moved, not copied: the next save cannot replace what the user had.
    EXPECT_EQ(fileNamesIn(folder), std::vector<std::string>{keptName});
    EXPECT_EQ(files::readFile(folder / keptName), toBytes(row.content));

    ASSERT_TRUE(saveNow({withLines("new", 20, 1)}, 1).has_value());
    EXPECT_EQ(files::readFile(folder / keptName), toBytes(row.content));
    archive = makeArchive();
  }
}

TEST_F(MessageArchiveLoadTest, ASecondUnreadableFileIsKeptUnderAnotherName) {
  put("<first>");
  EXPECT_EQ(archive.load().error, "the file is not valid JSON (it goes wrong near byte 1); the file was kept as " +
                                      std::string(keptName));
  put("<second>");
  EXPECT_EQ(archive.load().error, "the file is not valid JSON (it goes wrong near byte 1); the file was kept as " +
                                      std::string(keptName) + "-2");
  EXPECT_EQ(files::readFile(folder / keptName), toBytes("<first>"));
  EXPECT_EQ(files::readFile(folder / (std::string(keptName) + "-2")), toBytes("<second>"));
}

TEST_F(MessageArchiveLoadTest, AFileThatCannotBeReadIsKeptAsideBeforeASaveCouldReplaceIt) {
  // A pipe in the file's place stands for any file the system will not let us read
  // (the tests may run as root, which reads whatever the permissions say).
  ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0);
  const auto loaded = archive.load();
  EXPECT_TRUE(loaded.conversations.empty());
  EXPECT_EQ(loaded.error, file().string() + " could not be read: it is not a regular file; the file was kept as " +
                              std::string(keptName));
  EXPECT_EQ(fileNamesIn(folder), std::vector<std::string>{keptName});
  EXPECT_TRUE(fs::is_fifo(folder / keptName));

  ASSERT_TRUE(saveNow({withLines("new", 20, 1)}, 1).has_value());
  EXPECT_EQ(fileNamesIn(folder), (std::vector<std::string>{"messages.json", keptName}));
}

TEST_F(MessageArchiveLoadTest, NoDataFolderIsTheLocatorsError) {
  locatorFailure = "No such file or directory";
  const auto loaded = archive.load();
  EXPECT_TRUE(loaded.conversations.empty());
  EXPECT_EQ(loaded.error, "No such file or directory");
}

}  // namespace
}  // namespace orvane
