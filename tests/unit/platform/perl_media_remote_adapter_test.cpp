// The outside adapter's runner against small perl scripts written by each test in the
// place of the real adapter: the command lines, one-shot runs with their time-out and
// exit status, and the stream cut into lines, ended with its process.
#include "platform/linux/perl_media_remote_adapter.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "base/thread_queue.hpp"
#include "temp_dir.hpp"

namespace orvane {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using NowPlaying = MediaRemoteAdapter::NowPlaying;

// Generous: only a failing test waits this long.
constexpr auto patience = seconds(10);

std::string read(const std::filesystem::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool processGone(int pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

// Gone, or dead and waiting to be reaped by whoever it belongs to now.
bool processEnded(int pid) {
  if (processGone(pid)) return true;
  const std::string stat = [&] {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(in, text);
    return text;
  }();
  const auto close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
}

template <class F>
bool eventually(F condition) {
  const auto end = std::chrono::steady_clock::now() + patience;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(milliseconds(10));
  }
  return true;
}

class PerlAdapterTest : public ::testing::Test {
 protected:
  std::filesystem::path resources() const { return dir.path() / "MediaRemoteAdapter"; }
  std::filesystem::path file(const char* name) const { return dir.path() / name; }

  // Writes the adapter script: a prelude that records its command line (one argument a
  // line) and its process id, then `body`.
  void script(const std::string& body) {
    std::filesystem::create_directories(resources() / "MediaRemoteAdapter.framework");
    std::ofstream(resources() / "mediaremote-adapter.pl")
        << "use strict; use warnings;\n"
        << "open(my $a, '>', '" << file("args").string() << "') or die; print $a \"$0\\n\"; "
        << "print $a \"$_\\n\" for @ARGV; close $a;\n"
        << "open(my $p, '>', '" << file("pid").string() << "') or die; print $p $$; close $p;\n"
        << "$| = 1;\n"
        << body << "\n";
  }

  std::vector<std::string> arguments() const {
    std::vector<std::string> lines;
    std::istringstream in(read(file("args")));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  int scriptPid() const { return std::stoi(read(file("pid"))); }

  testing::TempDir dir;
  std::shared_ptr<PerlMediaRemoteAdapter> adapter = std::make_shared<PerlMediaRemoteAdapter>(resources(), nullptr);
};

TEST_F(PerlAdapterTest, AvailableOnlyWithPerlTheFolderAndTheScript) {
  EXPECT_FALSE(adapter->isAvailable()) << "no folder";
  EXPECT_EQ(adapter->run({"get"}, seconds(4)), std::nullopt);
  std::filesystem::create_directories(resources());
  EXPECT_FALSE(adapter->isAvailable()) << "a folder without the script";
  script("print 'x';");
  EXPECT_TRUE(adapter->isAvailable());
  PerlMediaRemoteAdapter noPerl(resources(), nullptr, dir.path() / "no-perl-here");
  EXPECT_FALSE(noPerl.isAvailable());
  EXPECT_EQ(noPerl.run({"get"}, seconds(4)), std::nullopt) << "a perl that cannot start gives nothing";
  PerlMediaRemoteAdapter notExecutable(resources(), nullptr, resources() / "mediaremote-adapter.pl");
  EXPECT_FALSE(notExecutable.isAvailable()) << "a perl that is no executable";
}

TEST_F(PerlAdapterTest, OnTheStockDesktopThereIsNoAdapterBesideTheProgram) {
  const auto beside = PerlMediaRemoteAdapter::besideProgram();
  EXPECT_EQ(beside.filename(), "MediaRemoteAdapter");
  EXPECT_EQ(beside.parent_path(), std::filesystem::read_symlink("/proc/self/exe").parent_path());
  EXPECT_FALSE(PerlMediaRemoteAdapter(beside, nullptr).isAvailable());
}

TEST_F(PerlAdapterTest, GetRunsPerlWithTheScriptTheFrameworkAndTheArgumentAndTrimsItsOutput) {
  script(R"(print "\n  {\"bundleIdentifier\":\"a.b\",\"title\":\"T\"}  \n\n";)");
  EXPECT_EQ(adapter->run({"get"}, seconds(4)), R"({"bundleIdentifier":"a.b","title":"T"})");
  EXPECT_EQ(arguments(), (std::vector<std::string>{(resources() / "mediaremote-adapter.pl").string(),
                                                   (resources() / "MediaRemoteAdapter.framework").string(), "get"}));
}

TEST_F(PerlAdapterTest, ExitStatusOneGivesNothing) {
  script(R"(print "{\"bundleIdentifier\":\"a.b\",\"title\":\"T\"}"; exit 1;)");
  EXPECT_EQ(adapter->run({"get"}, seconds(4)), std::nullopt);
}

TEST_F(PerlAdapterTest, AScriptKilledBySignalGivesNothing) {
  script(R"(print "{}"; kill 'KILL', $$;)");
  EXPECT_EQ(adapter->run({"get"}, seconds(4)), std::nullopt);
}

TEST_F(PerlAdapterTest, OutputThatIsNotUtf8GivesNothing) {
  script(R"(binmode STDOUT; print "caf\xe9";)");
  EXPECT_EQ(adapter->run({"get"}, seconds(4)), std::nullopt);
  script(R"(binmode STDOUT, ':utf8'; print "caf\x{e9}";)");
  EXPECT_EQ(adapter->run({"get"}, seconds(4)), "caf\u00e9");
}

TEST_F(PerlAdapterTest, ARunThatOutlivesItsTimeOutIsEndedAndGivesNothing) {
  // It prints first: output that came is no result when the run is given up.
  script(R"(print "{\"bundleIdentifier\":\"a.b\",\"title\":\"T\"}"; sleep 30;)");
  const auto began = std::chrono::steady_clock::now();
  EXPECT_EQ(adapter->run({"get"}, milliseconds(300)), std::nullopt);
  const auto took = std::chrono::steady_clock::now() - began;
  EXPECT_GE(took, milliseconds(300));
  EXPECT_LT(took, seconds(3));
  EXPECT_TRUE(processGone(scriptPid())) << "ended and reaped";
}

TEST_F(PerlAdapterTest, AScriptThatIgnoresTheRequestToEndIsKilled) {
  script(R"($SIG{TERM} = 'IGNORE'; sleep 30;)");
  EXPECT_EQ(adapter->run({"get"}, milliseconds(100)), std::nullopt);
  EXPECT_TRUE(processGone(scriptPid()));
}

TEST_F(PerlAdapterTest, WhatTheScriptStartedEndsWithIt) {
  script(R"(my $kid = fork(); if ($kid == 0) { sleep 30; exit 0; }
            open(my $k, '>', ')" + file("kid").string() + R"(') or die; print $k $kid; close $k; sleep 30;)");
  EXPECT_EQ(adapter->run({"get"}, milliseconds(300)), std::nullopt);
  ASSERT_TRUE(eventually([&] { return !read(file("kid")).empty(); }));
  const int kid = std::stoi(read(file("kid")));
  // The grandchild is not ours to reap: whoever adopts it does, in its own time.
  EXPECT_TRUE(eventually([&] { return processEnded(kid); }));
}

TEST_F(PerlAdapterTest, LargeOutputIsReadWhileTheScriptRuns) {
  // Far more than a pipe holds: a runner that read only at the end would wait forever.
  script(R"(print "x" x 1000000; print STDERR "e" x 1000000;)");
  auto output = adapter->run({"get"}, seconds(10));
  ASSERT_TRUE(output);
  EXPECT_EQ(output->size(), 1000000u);
}

TEST_F(PerlAdapterTest, OutputPastTheCapIsGivenUp) {
  script(R"(print "x" x (9 * 1024 * 1024); sleep 30;)");
  EXPECT_EQ(adapter->run({"get"}, seconds(10)), std::nullopt);
  EXPECT_TRUE(processGone(scriptPid()));
}

TEST_F(PerlAdapterTest, SendRunsSendWithTheCommandNumber) {
  script("exit 0;");
  EXPECT_TRUE(adapter->send(MediaRemoteAdapter::Command::next));
  const auto args = arguments();
  ASSERT_EQ(args.size(), 4u);
  EXPECT_EQ(args[2], "send");
  EXPECT_EQ(args[3], "4");
  script("exit 3;");
  EXPECT_FALSE(adapter->send(MediaRemoteAdapter::Command::pause));
}

// What the stream hands over, kept for the test thread.
class Updates {
 public:
  MediaRemoteAdapter::UpdateHandler handler(const std::shared_ptr<SerialQueue>& expectedQueue = nullptr) {
    return [this, expectedQueue](const std::optional<NowPlaying>& update) {
      std::lock_guard lock(mutex_);
      if (expectedQueue && !expectedQueue->isCurrent()) wrongThread_ = true;
      updates_.push_back(update);
      changed_.notify_all();
    };
  }
  // The first `count` updates, once there are that many.
  std::vector<std::optional<NowPlaying>> wait(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, patience, [&] { return updates_.size() >= count; });
    return updates_;
  }
  bool wrongThread() {
    std::lock_guard lock(mutex_);
    return wrongThread_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::optional<NowPlaying>> updates_;
  bool wrongThread_ = false;
};

NowPlaying titled(const std::string& title) { return NowPlaying{"a.b", title, {}, {}, false, {}}; }

TEST_F(PerlAdapterTest, TheStreamIsCutIntoLinesAcrossChunksAndOnlyPayloadsAreUpdates) {
  script(R"(
    print '{"payload":{"bundleIdentifier":"a.b","ti';
    select(undef, undef, undef, 0.3);
    print qq(tle":"One"}}\n);
    print qq({"type":"data"}\n) . qq(not json at all\n) . qq({"payload":null}\n) . qq({"payload":"text"}\n)
        . qq({"payload":{"bundleIdentifier":"a.b","title":"Two"}}\n) . qq({"payload":{"title":"no bundle"}}\n)
        . qq({"payload":{"bundleIdentifier":"a.b","title":"Three"}}\n);
    sleep 30;
  )");
  auto main = std::make_shared<ThreadQueue>("main");
  Updates updates;
  PerlMediaRemoteAdapter streaming(resources(), main);
  streaming.startStream(updates.handler(main));
  const auto got = updates.wait(5);
  EXPECT_EQ(got, (std::vector<std::optional<NowPlaying>>{titled("One"), std::nullopt, titled("Two"), std::nullopt,
                                                          titled("Three")}))
      << "a null payload and an unusable object are updates without data; the rest are no updates";
  EXPECT_FALSE(updates.wrongThread()) << "updates are handed over on the queue given";
  const auto args = arguments();
  ASSERT_EQ(args.size(), 4u);
  EXPECT_EQ(args[2], "stream");
  EXPECT_EQ(args[3], "--no-diff");
}

TEST_F(PerlAdapterTest, StoppingTheStreamEndsItsProcessAndAStreamIsStartedOnce) {
  script("print qq({\"payload\":null}\\n); sleep 30;");
  Updates updates;
  adapter->startStream(updates.handler());
  ASSERT_EQ(updates.wait(1).size(), 1u);
  const auto pid = adapter->streamProcessID();
  ASSERT_TRUE(pid);
  adapter->startStream(updates.handler());
  EXPECT_EQ(adapter->streamProcessID(), pid) << "one stream process at most";
  adapter->stopStream();
  EXPECT_FALSE(adapter->streamProcessID());
  EXPECT_TRUE(processGone(*pid)) << "ended and reaped, not left a zombie";
}

TEST_F(PerlAdapterTest, DestroyingTheAdapterEndsTheStream) {
  script("sleep 30;");
  adapter->startStream([](const std::optional<NowPlaying>&) {});
  ASSERT_TRUE(eventually([&] { return std::filesystem::exists(file("pid")) && !read(file("pid")).empty(); }));
  const int pid = scriptPid();
  adapter.reset();
  EXPECT_TRUE(processGone(pid));
}

TEST_F(PerlAdapterTest, AStreamThatEndsIsKeptUntilStoppedAndNotRestarted) {
  script("print qq({\"payload\":null}\\n); print qq({\"payload\":{\"bundleIdentifier\":\"a.b\",\"tit);");
  Updates updates;
  adapter->startStream(updates.handler());
  ASSERT_EQ(updates.wait(1).size(), 1u);
  const int pid = scriptPid();
  ASSERT_TRUE(eventually([&] { return processEnded(pid); }));
  // Nothing starts a new stream: the one kept is the one that ended, until it is
  // stopped, and no other script ran.
  EXPECT_EQ(adapter->streamProcessID(), pid);
  adapter->stopStream();
  EXPECT_TRUE(processGone(pid)) << "reaped when stopped";
  EXPECT_EQ(scriptPid(), pid);
}

}  // namespace
}  // namespace orvane
