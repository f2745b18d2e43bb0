#include "platform/linux/net/asio_serial_queue.hpp"

#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <functional>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

#include "base/log.hpp"

namespace orvane {
namespace {

using namespace std::chrono_literals;
// Generous: only a broken queue makes a test wait this long.
constexpr auto kPatience = 5s;

TEST(AsioSerialQueue, RunsTasksInPostOrderOnItsOwnNamedThread) {
  AsioSerialQueue queue("zel.pairing-server");
  EXPECT_EQ(queue.label(), "zel.pairing-server");
  EXPECT_FALSE(queue.isCurrent());

  struct Seen {
    std::vector<int> order;
    bool current = false;
    std::string threadName;
  };
  std::vector<int> order;  // touched only on the queue
  std::promise<Seen> seen;
  for (int i = 0; i < 100; ++i) queue.post([&order, i] { order.push_back(i); });
  queue.post([&] {
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    seen.set_value({order, queue.isCurrent(), name});
  });

  auto result = seen.get_future();
  ASSERT_EQ(result.wait_for(kPatience), std::future_status::ready);
  const Seen s = result.get();
  std::vector<int> expected(100);
  for (int i = 0; i < 100; ++i) expected[i] = i;
  EXPECT_EQ(s.order, expected);
  EXPECT_TRUE(s.current);
  EXPECT_EQ(s.threadName, "zel.pairing-ser");  // the system keeps 15 characters
}

TEST(AsioSerialQueue, PostFromATaskRunsAfterThatTaskReturns) {
  AsioSerialQueue queue("test");
  std::promise<bool> ranInside;
  queue.post([&] {
    bool ran = false;
    queue.post([&ranInside, &ran] { ran = true; });
    ranInside.set_value(ran);
  });
  auto result = ranInside.get_future();
  ASSERT_EQ(result.wait_for(kPatience), std::future_status::ready);
  EXPECT_FALSE(result.get());
  // Let the inner task run while `ran` still exists.
  std::promise<void> flushed;
  queue.post([&] { flushed.set_value(); });
  ASSERT_EQ(flushed.get_future().wait_for(kPatience), std::future_status::ready);
}

TEST(AsioSerialQueue, DelayedTaskRunsNoEarlierThanItsDelayAndNeverOnceCancelled) {
  AsioSerialQueue queue("test");
  std::atomic<bool> cancelledRan = false;
  const auto begin = std::chrono::steady_clock::now();
  DelayedWork cancelled = queue.postAfter(20ms, [&] { cancelledRan = true; });
  cancelled.cancel();
  std::promise<SteadyTime> ran;
  const DelayedWork kept = queue.postAfter(60ms, [&] { ran.set_value(std::chrono::steady_clock::now()); });
  EXPECT_TRUE(cancelled.isCancelled());
  EXPECT_FALSE(kept.isCancelled());

  auto result = ran.get_future();
  ASSERT_EQ(result.wait_for(kPatience), std::future_status::ready);
  EXPECT_GE(result.get() - begin, 60ms);
  // The cancelled task was due earlier on the same queue: had it not been
  // cancelled, it would have run by now.
  EXPECT_FALSE(cancelledRan);
}

TEST(AsioSerialQueue, DestructionLetsTheRunningTaskFinish) {
  auto queue = std::make_unique<AsioSerialQueue>("test");
  std::promise<void> started;
  std::promise<void> release;
  std::atomic<bool> finished = false;
  queue->post([&] {
    started.set_value();
    release.get_future().wait_for(kPatience);
    finished = true;
  });
  ASSERT_EQ(started.get_future().wait_for(kPatience), std::future_status::ready);
  std::thread releaser([&] { release.set_value(); });
  queue.reset();
  EXPECT_TRUE(finished);
  releaser.join();
}

TEST(AsioSerialQueue, StopFromItsOwnTaskDiscardsTheRest) {
  auto queue = std::make_unique<AsioSerialQueue>("test");
  std::promise<void> stopped;
  std::atomic<bool> laterRan = false;
  queue->post([&] {
    queue->stop();  // cannot wait for its own thread; must not hang
    stopped.set_value();
  });
  queue->post([&] { laterRan = true; });
  ASSERT_EQ(stopped.get_future().wait_for(kPatience), std::future_status::ready);
  queue.reset();
  EXPECT_FALSE(laterRan);
}

// Whatever a task or a timer's task throws is reported, and the thread carries on with
// the next task, still as the queue.
TEST(AsioSerialQueue, AThrowingTaskIsReportedAndTheQueueCarriesOn) {
  struct Row {
    const char* name;
    std::function<void(AsioSerialQueue&, SerialQueue::Task)> schedule;
    SerialQueue::Task task;
    std::string report;
  };
  const auto now = [](AsioSerialQueue& q, SerialQueue::Task t) { q.post(std::move(t)); };
  const auto later = [](AsioSerialQueue& q, SerialQueue::Task t) { q.postAfter(1ms, std::move(t)); };
  const Row rows[] = {
      {"posted, std::exception", now, [] { throw std::runtime_error("boom"); }, "task on zel.pairing-server threw: boom"},
      {"posted, another type", now, [] { throw 7; },
       "task on zel.pairing-server threw an exception that is not a std::exception"},
      {"delayed, std::exception", later, [] { throw std::out_of_range("late"); },
       "task on zel.pairing-server threw: late"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto log = std::make_shared<RecordingLogSink>();
    AsioSerialQueue queue("zel.pairing-server", log);
    std::promise<bool> next;
    row.schedule(queue, row.task);
    // Posted after the throwing task is due, so it runs after it on the one thread.
    queue.postAfter(5ms, [&] { next.set_value(queue.isCurrent()); });
    auto ran = next.get_future();
    ASSERT_EQ(ran.wait_for(kPatience), std::future_status::ready) << "the queue stopped at the throwing task";
    EXPECT_TRUE(ran.get());
    const auto entries = log->entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].level, LogLevel::error);
    EXPECT_EQ(entries[0].category, "queue");
    EXPECT_EQ(entries[0].message, row.report);
  }
}

TEST(AsioSerialQueue, WithoutALogAThrowingTaskIsOneLineOnStandardError) {
  ::testing::internal::CaptureStderr();
  {
    AsioSerialQueue queue("test");
    std::promise<void> next;
    queue.post([] { throw std::runtime_error("boom"); });
    queue.post([&] { next.set_value(); });
    ASSERT_EQ(next.get_future().wait_for(kPatience), std::future_status::ready);
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "orvane: task on test threw: boom\n");
}

}  // namespace
}  // namespace orvane
