// LogindWakeSignal against a stand-in logind (python-dbusmock) on a private system bus,
// which tests/desktop/logind_env.sh starts and lets these tests stop and restart. The
// stand-in sends PrepareForSleep exactly as logind does; the test's own BusProbe sees
// what was sent and gives the fences that let a test say "nothing more arrived".

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bus_probe.hpp"
#include "integration/time_scale.hpp"
#include "platform/qt/logind_wake_signal.hpp"
#include "stand_in_logind.hpp"
#include "test_process.hpp"
#include "wait_until.hpp"

namespace orvane {
namespace {

using namespace std::chrono_literals;
using testing::BusProbe;
using testing::StandInLogind;
using testing::waitUntil;

// A signal crosses the bus in milliseconds; only a fault takes this long.
const auto kPatience = scaledForBuild(std::chrono::milliseconds(10s));

// A step of the stand-in, failing with what its tool said.
::testing::AssertionResult done(const expected<void, std::string>& step) {
  if (step) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << step.error();
}

class LogindWakeSignalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::noteSystemBusUsed();
    probe_ = std::make_unique<BusProbe>();
    ASSERT_TRUE(probe_->ready()) << "the test's own subscriptions were refused";
  }

  // A LogindWakeSignal logging into sink_ whose handler counts its calls and notes
  // whether each ran on the main thread.
  std::unique_ptr<LogindWakeSignal> makeWake() {
    auto wake = std::make_unique<LogindWakeSignal>(Logger(sink_, "wake"));
    wake->setHandler([this] {
      ++calls_;
      onMainThread_.push_back(QThread::currentThread() == QCoreApplication::instance()->thread());
    });
    return wake;
  }

  // Returns once every signal the stand-in sent before has been handed to the main thread.
  ::testing::AssertionResult passFence() {
    const std::uint32_t number = ++fences_;
    if (auto sent = logind_.fence(number); !sent) return ::testing::AssertionFailure() << sent.error();
    if (!waitUntil([&] { return probe_->lastFence() == number; }, kPatience)) {
      return ::testing::AssertionFailure() << "fence " << number << " did not come back";
    }
    return ::testing::AssertionSuccess();
  }

  bool waitForCalls(int count) {
    return waitUntil([&] { return calls_ >= count; }, kPatience);
  }

  StandInLogind logind_;
  std::shared_ptr<RecordingLogSink> sink_ = std::make_shared<RecordingLogSink>();
  std::unique_ptr<BusProbe> probe_;
  int calls_ = 0;
  std::vector<bool> onMainThread_;
  std::uint32_t fences_ = 0;
};

TEST_F(LogindWakeSignalTest, WakeRunsTheHandlerOnceOnTheMainThread) {
  auto wake = makeWake();
  ASSERT_TRUE(wake->listening()) << wake->listening().error();

  ASSERT_TRUE(done(logind_.prepareForSleep(false)));
  ASSERT_TRUE(waitForCalls(1)) << "the wake never reached the handler";
  ASSERT_TRUE(passFence());

  EXPECT_EQ(probe_->sleepSignals(), std::vector<bool>{false});
  EXPECT_EQ(calls_, 1);
  EXPECT_EQ(onMainThread_, std::vector<bool>{true});
  EXPECT_TRUE(sink_->entries().empty());
}

TEST_F(LogindWakeSignalTest, EveryWakeRunsTheHandler) {
  auto wake = makeWake();
  ASSERT_TRUE(wake->listening()) << wake->listening().error();

  for (int i = 0; i < 3; ++i) ASSERT_TRUE(done(logind_.prepareForSleep(false)));
  ASSERT_TRUE(waitForCalls(3));
  ASSERT_TRUE(passFence());

  EXPECT_EQ(calls_, 3);
}

TEST_F(LogindWakeSignalTest, GoingToSleepDoesNotRunTheHandler) {
  auto wake = makeWake();
  ASSERT_TRUE(wake->listening()) << wake->listening().error();

  ASSERT_TRUE(done(logind_.prepareForSleep(true)));
  ASSERT_TRUE(passFence());
  // The stand-in really said "going to sleep", and it reached this process.
  ASSERT_EQ(probe_->sleepSignals(), std::vector<bool>{true});
  EXPECT_EQ(calls_, 0);

  ASSERT_TRUE(done(logind_.prepareForSleep(false)));
  ASSERT_TRUE(waitForCalls(1));
  ASSERT_TRUE(passFence());
  EXPECT_EQ(probe_->sleepSignals(), (std::vector<bool>{true, false}));
  EXPECT_EQ(calls_, 1);
}

TEST_F(LogindWakeSignalTest, TheSameSignalFromElsewhereIsIgnored) {
  auto wake = makeWake();
  ASSERT_TRUE(wake->listening()) << wake->listening().error();

  ASSERT_TRUE(done(logind_.prepareForSleepFromImpostor(false)));
  ASSERT_TRUE(done(logind_.prepareForSleepAt("/org/freedesktop/login1/seat/seat0", false)));
  ASSERT_TRUE(done(logind_.prepareForSleepOn("org.freedesktop.login1.Session", false)));
  ASSERT_TRUE(passFence());
  EXPECT_EQ(calls_, 0);

  // The genuine signal after them is heard, so the silence above was not deafness.
  ASSERT_TRUE(done(logind_.prepareForSleep(false)));
  ASSERT_TRUE(waitForCalls(1));
  ASSERT_TRUE(passFence());
  EXPECT_EQ(calls_, 1);
}

TEST_F(LogindWakeSignalTest, ALaterHandlerReplacesTheEarlierOne) {
  auto wake = makeWake();
  ASSERT_TRUE(wake->listening()) << wake->listening().error();
  int laterCalls = 0;
  wake->setHandler([&] { ++laterCalls; });

  ASSERT_TRUE(done(logind_.prepareForSleep(false)));
  ASSERT_TRUE(waitUntil([&] { return laterCalls >= 1; }, kPatience));
  ASSERT_TRUE(passFence());

  EXPECT_EQ(laterCalls, 1);
  EXPECT_EQ(calls_, 0);
}

TEST_F(LogindWakeSignalTest, AHandlerThatThrowsIsLoggedAndTheNextWakeStillArrives) {
  auto wake = makeWake();
  ASSERT_TRUE(wake->listening()) << wake->listening().error();
  bool thrown = false;
  wake->setHandler([&] {
    if (!thrown) {
      thrown = true;
      throw std::runtime_error("no link");
    }
    ++calls_;
  });

  ASSERT_TRUE(done(logind_.prepareForSleep(false)));
  ASSERT_TRUE(done(logind_.prepareForSleep(false)));
  ASSERT_TRUE(waitForCalls(1));
  ASSERT_TRUE(passFence());

  EXPECT_TRUE(thrown);
  EXPECT_EQ(calls_, 1);
  EXPECT_TRUE(sink_->contains("the wake handler failed: no link"));
}

TEST_F(LogindWakeSignalTest, NothingArrivesOnceDestroyed) {
  auto wake = makeWake();
  ASSERT_TRUE(wake->listening()) << wake->listening().error();
  wake.reset();

  ASSERT_TRUE(done(logind_.prepareForSleep(false)));
  ASSERT_TRUE(passFence());
  ASSERT_EQ(probe_->sleepSignals(), std::vector<bool>{false});
  EXPECT_EQ(calls_, 0);
}

// Puts the stand-in back on the bus should a test end while it is off.
class RestartOnExit {
 public:
  explicit RestartOnExit(const StandInLogind& logind) : logind_(logind) {}
  ~RestartOnExit() {
    if (stopped_) static_cast<void>(logind_.start());
  }
  void started() { stopped_ = false; }

 private:
  const StandInLogind& logind_;
  bool stopped_ = true;
};

TEST_F(LogindWakeSignalTest, LogindThatStartsLaterIsHeard) {
  ASSERT_TRUE(done(logind_.stop()));
  RestartOnExit restart(logind_);

  auto wake = makeWake();
  // The bus is there, and the wish for logind's signals waits on it for logind.
  ASSERT_TRUE(wake->listening()) << wake->listening().error();
  EXPECT_TRUE(sink_->entries().empty());

  ASSERT_TRUE(done(logind_.start()));
  restart.started();
  ASSERT_TRUE(done(logind_.prepareForSleep(false)));
  ASSERT_TRUE(waitForCalls(1)) << "the wake from logind that came later never reached the handler";
  ASSERT_TRUE(passFence());
  EXPECT_EQ(calls_, 1);
}

TEST_F(LogindWakeSignalTest, LogindThatRestartsIsStillHeard) {
  auto wake = makeWake();
  ASSERT_TRUE(wake->listening()) << wake->listening().error();
  ASSERT_TRUE(done(logind_.prepareForSleep(false)));
  ASSERT_TRUE(waitForCalls(1));

  ASSERT_TRUE(done(logind_.stop()));
  RestartOnExit restart(logind_);
  ASSERT_TRUE(done(logind_.start()));
  restart.started();

  ASSERT_TRUE(done(logind_.prepareForSleep(false)));
  ASSERT_TRUE(waitForCalls(2)) << "the wake from the new logind never reached the handler";
  ASSERT_TRUE(passFence());
  EXPECT_EQ(calls_, 2);
}

}  // namespace
}  // namespace orvane
