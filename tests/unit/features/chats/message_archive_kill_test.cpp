#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <future>
#include <string>
#include <vector>

#include "base/atomic_file.hpp"
#include "base/thread_queue.hpp"
#include "chat_samples.hpp"
#include "features/chats/message_archive.hpp"
#include "features/chats/message_archive_format.hpp"
#include "temp_dir.hpp"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using namespace chat_samples;

// A full archive (100 conversations, 1000 lines) whose every text carries `mark`:
// some hundreds of kilobytes, so that a save takes long enough to be cut into.
std::vector<ChatConversation> fullArchive(const std::string& mark) {
  auto conversations = manyConversations(100, 10);
  for (auto& conversation : conversations) {
    for (auto& line : conversation.messages) line.text = mark + " " + line.text + " " + std::string(300, mark[0]);
  }
  return conversations;
}

// The child saves A, B, A, B… through the archive's own worker thread, telling the
// parent over `reports` just before each save starts; it stops only when killed or
// when the parent is gone.
[[noreturn]] void saveForEver(const fs::path& folder, int reports, const std::vector<ChatConversation> (&contents)[2]) {
  auto worker = std::make_shared<ThreadQueue>("archive writer");
  MessageArchive archive(worker, [folder]() -> expected<fs::path, std::string> { return folder; });
  for (std::int64_t revision = 1;; ++revision) {
    const char report = 'r';
    if (::write(reports, &report, 1) != 1) ::_exit(1);
    std::promise<void> saved;
    archive.save(contents[revision % 2], revision, [&](expected<void, std::string>) { saved.set_value(); });
    saved.get_future().wait();
  }
}

// What a writer changes in a folder: the names, and which file each is and how long.
std::vector<std::string> folderState(const fs::path& folder) {
  std::vector<std::string> state;
  for (const auto& entry : fs::directory_iterator(folder)) {
    struct stat info {};
    if (::stat(entry.path().c_str(), &info) != 0) continue;
    state.push_back(entry.path().filename().string() + " " + std::to_string(info.st_ino) + " " +
                    std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_nsec));
  }
  std::sort(state.begin(), state.end());
  return state;
}

// Kills and reaps the child whatever way the test leaves the round.
struct Child {
  pid_t pid = -1;
  ~Child() {
    if (pid <= 0) return;
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
  }
};

TEST(MessageArchiveKill, AKilledSaveLeavesTheOldFileOrTheNewOneNeverAPart) {
  testing::TempDir temp;
  const fs::path folder = temp.path() / "Orvane";
  const std::vector<ChatConversation> contents[2] = {fullArchive("A"), fullArchive("B")};
  const std::vector<ChatConversation> whole[2] = {MessageArchive::bounded(contents[0]),
                                                     MessageArchive::bounded(contents[1])};
  ASSERT_TRUE(files::ensureDirectory(folder));
  ASSERT_TRUE(files::writeFileAtomically(folder / "messages.json", toBytes(archive_format::encode(whole[0]))));

  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    int pipeEnds[2];
    ASSERT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
    Child child;
    child.pid = ::fork();
    ASSERT_GE(child.pid, 0);
    if (child.pid == 0) {
      ::close(pipeEnds[0]);
      saveForEver(folder, pipeEnds[1], contents);
    }
    ::close(pipeEnds[1]);
    // One to four reports: the kill lands in the first save or in a later one.
    for (int wanted = round % 4 + 1; wanted > 0; --wanted) {
      char report = 0;
      ASSERT_EQ(::read(pipeEnds[0], &report, 1), 1) << "the child ended before it was killed";
    }
    // Every other round waits, without sleeping, for the save to touch the folder, so
    // that the kill lands in the middle of writing rather than while the child is still
    // encoding; it gives up once the next save starts. Whatever way a writer works, in
    // place or through another file, this is when a file can be torn.
    if (round % 2 == 1) {
      ASSERT_EQ(::fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK), 0);
      const auto started = folderState(folder);
      char report = 0;
      while (folderState(folder) == started && ::read(pipeEnds[0], &report, 1) != 1) {
      }
    }
    ASSERT_EQ(::kill(child.pid, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child.pid, &status, 0), child.pid);
    child.pid = -1;
    ::close(pipeEnds[0]);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child ended on its own: " << status;

    const auto bytes = files::readFile(folder / "messages.json");
    ASSERT_TRUE(bytes.has_value()) << "no file after the kill";
    const auto decoded = archive_format::decode(toString(*bytes));
    ASSERT_TRUE(decoded.has_value()) << decoded.error();
    EXPECT_TRUE(*decoded == whole[0] || *decoded == whole[1]) << "the file is neither the old content nor the new";
  }
  // Each kill inside the write itself left one temporary behind.
  int cutShort = 0;
  for (const auto& entry : fs::directory_iterator(folder)) cutShort += files::isTemporaryName(entry.path().filename().string());
  RecordProperty("killed_inside_the_write", cutShort);
  // Without a kill inside a write the test would show nothing about tearing; ten
  // rounds wait for the write to begin, and a write (with its flush) outlasts the kill.
  EXPECT_GT(cutShort, 0) << "no kill landed inside a write";

  // The next start finds the file whole and sweeps away what the kills left.
  auto worker = std::make_shared<ThreadQueue>("archive writer");
  const auto loaded = MessageArchive(worker, [folder]() -> expected<fs::path, std::string> { return folder; }).load();
  EXPECT_EQ(loaded.error, std::nullopt);
  EXPECT_TRUE(loaded.conversations == whole[0] || loaded.conversations == whole[1]);
  for (const auto& entry : fs::directory_iterator(folder)) EXPECT_EQ(entry.path().filename(), "messages.json");
}

}  // namespace
}  // namespace orvane
