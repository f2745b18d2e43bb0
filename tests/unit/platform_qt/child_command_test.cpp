// Helper programs run to their end under a deadline and an output cap, against real
// child processes.
#include "platform/qt/child_command.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QProcess>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "temp_dir.hpp"

namespace orvane {
namespace {

using namespace std::chrono_literals;

TEST(ChildCommand, ResultOfAChildThatEnds) {
  struct Row {
    const char* what;
    ChildCommand command;
    int exitCode;
    std::string output;
    std::string errors;
  };
  const std::vector<Row> rows = {
      {"status, output and errors apart",
       {.program = "sh", .arguments = {"-c", "printf out; printf err >&2; exit 3"}},
       3, "out", "err"},
      {"input reaches it whole", {.program = "cat", .input = "Grüße\n-n --help"}, 0, "Grüße\n-n --help", ""},
      {"no input is an empty one", {.program = "cat"}, 0, "", ""},
      {"output right at the cap", {.program = "head", .arguments = {"-c", "16", "/dev/zero"}, .outputLimit = 16}, 0,
       std::string(16, '\0'), ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto result = run(row.command);
    ASSERT_TRUE(result.has_value()) << result.error().message;
    EXPECT_EQ(result->exitCode, row.exitCode);
    EXPECT_EQ(result->output, row.output);
    EXPECT_EQ(result->errors, row.errors);
  }
}

TEST(ChildCommand, AChildPastItsBoundsIsKilledAndReaped) {
  testing::TempDir dir;
  const std::string pidFile = (dir.path() / "pid").string();
  // The child writes its process id, then becomes the program that overruns.
  auto becoming = [&](const std::string& program) { return "echo $$ > " + pidFile + "; exec " + program; };
  struct Row {
    const char* what;
    ChildCommand command;
    ChildFailure failure;
  };
  const std::vector<Row> rows = {
      {"past the deadline", {.program = "sh", .arguments = {"-c", becoming("sleep 30")}, .deadline = 200ms},
       ChildFailure::overran},
      {"over the output cap", {.program = "sh", .arguments = {"-c", becoming("cat /dev/zero")}, .outputLimit = 1024},
       ChildFailure::tooMuchOutput},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const auto started = std::chrono::steady_clock::now();
    auto result = run(row.command);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().failure, row.failure);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    pid_t pid = 0;
    std::ifstream(pidFile) >> pid;
    ASSERT_GT(pid, 0);
    // Reaped, not only killed: a zombie would still answer.
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
  }
}

TEST(ChildCommand, AChildThatCannotRunIsAnError) {
  struct Row {
    const char* what;
    ChildCommand command;
    ChildFailure failure;
  };
  const std::vector<Row> rows = {
      {"no such program", {.program = "/nonexistent/program"}, ChildFailure::notStarted},
      {"killed by a signal", {.program = "sh", .arguments = {"-c", "kill -SEGV $$"}}, ChildFailure::crashed},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto result = run(row.command);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().failure, row.failure);
    EXPECT_NE(result.error().message.find(row.command.program), std::string::npos) << result.error().message;
  }
}

TEST(ChildCommand, ChildrenGetNoDescriptorOfOurs) {
  // A pipe opened without close-on-exec, like Asio's sockets.
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const std::string probe = "test -e /proc/self/fd/" + std::to_string(fds[1]) + " && echo open || echo closed";

  auto guarded = run({.program = "sh", .arguments = {"-c", probe}});
  ASSERT_TRUE(guarded.has_value());
  EXPECT_EQ(guarded->output, "closed\n");

  // The same probe through a bare QProcess sees it: the probe can tell.
  QProcess bare;
  bare.start("sh", {"-c", QString::fromStdString(probe)});
  ASSERT_TRUE(bare.waitForFinished(5000));
  EXPECT_EQ(bare.readAllStandardOutput().toStdString(), "open\n");

  ::close(fds[0]);
  ::close(fds[1]);
}

}  // namespace
}  // namespace orvane
