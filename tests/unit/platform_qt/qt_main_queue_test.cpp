// The main queue on a real Qt event loop: the loop runs for a bounded time inside
// each test, and tasks end it once what the test waits for has happened.
#include "platform/qt/qt_main_queue.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/thread_queue.hpp"
#include "qt_application_environment.hpp"

namespace orvane {
namespace {

using namespace std::chrono_literals;

// The application object every QtMainQueue posts to, made on the thread that runs
// the tests, which so becomes the Qt thread.
[[maybe_unused]] const auto* const environment = testing::addQtApplicationEnvironment<QCoreApplication>();

class QtMainQueueTest : public ::testing::Test {
 protected:
  // Runs the Qt event loop until a task calls quit(), or at most `limit`; false when
  // the limit ended it.
  bool runLoop(std::chrono::milliseconds limit = 5s) {
    bool timedOut = false;
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, &loop_, [&] {
      timedOut = true;
      loop_.quit();
    });
    bound.start(limit);
    loop_.exec();
    return !timedOut;
  }
  void quit() { loop_.quit(); }
  SerialQueue::Task record(std::string name) {
    return [this, name = std::move(name)] { ran_.push_back(name); };
  }
  std::chrono::milliseconds sinceStart() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
  }

  QtMainQueue queue_;
  QEventLoop loop_;
  std::vector<std::string> ran_;  // touched only on the Qt thread
  const SteadyTime start_ = std::chrono::steady_clock::now();
};

TEST_F(QtMainQueueTest, RunsTasksInPostOrderOnlyOnceTheLoopRuns) {
  EXPECT_EQ(queue_.label(), "main");
  for (int i = 0; i < 50; ++i) queue_.post(record(std::to_string(i)));
  queue_.post([this] {
    ran_.push_back("last");
    queue_.post(record("posted by last"));
    queue_.post([this] { quit(); });
    EXPECT_EQ(ran_.back(), "last");  // post never runs the task before it returns
  });
  EXPECT_TRUE(ran_.empty());

  ASSERT_TRUE(runLoop());
  std::vector<std::string> expected;
  for (int i = 0; i < 50; ++i) expected.push_back(std::to_string(i));
  expected.push_back("last");
  expected.push_back("posted by last");
  EXPECT_EQ(ran_, expected);
}

// Each delayed task runs no earlier than its delay, after every task posted before
// it, and delayed tasks run by deadline, not by the order they were posted in. A
// delay that is already over runs like a post.
TEST_F(QtMainQueueTest, DelayedTasksRunByDeadlineAfterEarlierPosts) {
  struct Row {
    const char* name;
    std::chrono::milliseconds delay;
  };
  const Row rows[] = {{"60ms", 60ms}, {"20ms", 20ms}, {"0ms", 0ms}, {"already over", -5ms}};
  std::vector<std::pair<std::string, std::chrono::milliseconds>> runs;

  queue_.post(record("posted first"));
  for (const Row& row : rows) {
    queue_.postAfter(row.delay, [this, &runs, name = std::string(row.name), total = std::size(rows)] {
      ran_.push_back(name);
      runs.emplace_back(name, sinceStart());
      if (runs.size() == total) quit();
    });
  }
  ASSERT_TRUE(runLoop()) << "ran only " << ran_.size() << " tasks";

  ASSERT_EQ(ran_.size(), std::size(rows) + 1);
  EXPECT_EQ(ran_.front(), "posted first");
  auto position = [&](const std::string& name) { return std::find(ran_.begin(), ran_.end(), name) - ran_.begin(); };
  EXPECT_LT(position("20ms"), position("60ms"));
  EXPECT_LT(position("0ms"), position("20ms"));
  EXPECT_LT(position("already over"), position("20ms"));
  for (const auto& [name, at] : runs) {
    for (const Row& row : rows) {
      if (name == row.name) {
        EXPECT_GE(at, row.delay) << name;
      }
    }
  }
}

TEST_F(QtMainQueueTest, CancelledDelayedWorkNeverRuns) {
  bool cancelledAtOnceRan = false;
  bool cancelledWhileArmedRan = false;
  DelayedWork atOnce = queue_.postAfter(5ms, [&] { cancelledAtOnceRan = true; });
  atOnce.cancel();
  // Cancelled from a task, after its timer is armed and before it fires.
  DelayedWork armed = queue_.postAfter(40ms, [&] { cancelledWhileArmedRan = true; });
  queue_.postAfter(10ms, [armed] { armed.cancel(); });
  queue_.postAfter(80ms, [this] { quit(); });

  ASSERT_TRUE(runLoop());
  EXPECT_TRUE(atOnce.isCancelled());
  EXPECT_FALSE(cancelledAtOnceRan);
  EXPECT_TRUE(armed.isCancelled());
  EXPECT_FALSE(cancelledWhileArmedRan);
}

TEST_F(QtMainQueueTest, IsCurrentInsideItsTasksAndNeverOnAnotherThread) {
  bool inPost = false;
  bool inDelayed = false;
  queue_.post([&] { inPost = queue_.isCurrent(); });
  queue_.postAfter(1ms, [&] {
    inDelayed = queue_.isCurrent();
    quit();
  });
  ASSERT_TRUE(runLoop());
  EXPECT_TRUE(inPost);
  EXPECT_TRUE(inDelayed);

  bool onPlainThread = true;
  std::thread([&] { onPlainThread = queue_.isCurrent(); }).join();
  EXPECT_FALSE(onPlainThread);

  std::promise<bool> onOtherQueue;
  ThreadQueue other("zel.other");
  other.post([&] { onOtherQueue.set_value(queue_.isCurrent()); });
  auto seen = onOtherQueue.get_future();
  ASSERT_EQ(seen.wait_for(5s), std::future_status::ready);
  EXPECT_FALSE(seen.get());
}

TEST_F(QtMainQueueTest, TasksPostedFromAnotherThreadRunOnTheQtThreadInOrder) {
  const std::thread::id qtThread = std::this_thread::get_id();
  std::vector<std::thread::id> threads;  // Qt thread only
  std::thread poster([&] {
    for (int i = 0; i < 20; ++i) {
      queue_.post([this, &threads, i] {
        threads.push_back(std::this_thread::get_id());
        ran_.push_back(std::to_string(i));
      });
    }
    queue_.postAfter(5ms, [this, &threads] {
      threads.push_back(std::this_thread::get_id());
      ran_.push_back("delayed");
      quit();
    });
  });
  poster.join();
  ASSERT_TRUE(runLoop());

  std::vector<std::string> expected;
  for (int i = 0; i < 20; ++i) expected.push_back(std::to_string(i));
  expected.push_back("delayed");
  EXPECT_EQ(ran_, expected);
  EXPECT_EQ(threads, std::vector<std::thread::id>(expected.size(), qtThread));
}

TEST_F(QtMainQueueTest, ATaskThatThrowsDoesNotEndTheLoop) {
  QtMainQueue queue;
  queue.post([] { throw std::runtime_error("broken task"); });
  queue.post([this] {
    ran_.push_back("after");
    quit();
  });
  ASSERT_TRUE(runLoop());
  EXPECT_EQ(ran_, std::vector<std::string>{"after"});
}

// Like the other queues, one that is gone discards what still waits: nothing runs
// later against a queue that no longer exists, and nothing is touched after it.
TEST_F(QtMainQueueTest, TasksOfAQueueThatIsGoneAreDiscardedSafely) {
  bool ran = false;
  {
    QtMainQueue shortLived;
    shortLived.post([&] { ran = true; });
    shortLived.postAfter(5ms, [&] { ran = true; });
  }
  QTimer::singleShot(50ms, &loop_, [this] { quit(); });
  ASSERT_TRUE(runLoop());
  EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace orvane
