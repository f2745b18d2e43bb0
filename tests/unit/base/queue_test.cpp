#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/fake_clock.hpp"
#include "base/log.hpp"
#include "base/manual_queue.hpp"
#include "base/thread_queue.hpp"

namespace orvane {
namespace {

using namespace std::chrono_literals;

class ManualQueueTest : public ::testing::Test {
 protected:
  // Seconds since the test started, by the fake clock.
  double elapsed() const { return std::chrono::duration<double>(clock_.now() - start_).count(); }
  // A task that records its name and the time it ran.
  SerialQueue::Task record(std::string name) {
    return [this, name = std::move(name)] { ran_.push_back(name + "@" + std::to_string(static_cast<int>(elapsed()))); };
  }

  FakeClock clock_;
  SteadyTime start_ = clock_.now();
  ManualQueue queue_{"test", clock_};
  std::vector<std::string> ran_;
};

TEST_F(ManualQueueTest, RunsPostedTasksInOrderOnlyWhenAsked) {
  queue_.post(record("a"));
  queue_.post(record("b"));
  queue_.post([this] {
    ran_.push_back("c");
    queue_.post(record("posted by c"));
    EXPECT_EQ(ran_.back(), "c");  // post never runs the task before it returns
  });
  EXPECT_TRUE(ran_.empty());
  EXPECT_EQ(queue_.pending(), 3u);

  EXPECT_EQ(queue_.runUntilIdle(), 4u);
  EXPECT_EQ(ran_, (std::vector<std::string>{"a@0", "b@0", "c", "posted by c@0"}));
  EXPECT_EQ(queue_.pending(), 0u);
  EXPECT_EQ(queue_.label(), "test");
}

TEST_F(ManualQueueTest, DelayedWorkWaitsForItsDeadline) {
  queue_.postAfter(5s, record("five"));
  queue_.postAfter(2s, record("two"));
  queue_.post(record("now"));

  queue_.runUntilIdle();
  EXPECT_EQ(ran_, (std::vector<std::string>{"now@0"}));
  queue_.advance(1s);
  EXPECT_EQ(ran_.size(), 1u);
  queue_.advance(1s);
  EXPECT_EQ(ran_, (std::vector<std::string>{"now@0", "two@2"}));
  queue_.advance(2999ms);
  EXPECT_EQ(ran_.size(), 2u);
  queue_.advance(1ms);
  EXPECT_EQ(ran_, (std::vector<std::string>{"now@0", "two@2", "five@5"}));
}

TEST_F(ManualQueueTest, AdvanceRunsEachTaskAtItsOwnDeadlineInOrder) {
  queue_.postAfter(7s, record("seven"));
  queue_.postAfter(3s, record("three"));
  queue_.postAfter(3s, record("three again"));  // same deadline: order of posting
  queue_.postAfter(2s, [this] {
    ran_.push_back("two@" + std::to_string(static_cast<int>(elapsed())));
    queue_.postAfter(4s, record("posted at two"));
  });
  queue_.postAfter(11s, record("eleven"));

  queue_.advance(10s);
  EXPECT_EQ(ran_, (std::vector<std::string>{"two@2", "three@3", "three again@3", "posted at two@6", "seven@7"}));
  EXPECT_DOUBLE_EQ(elapsed(), 10.0);
  EXPECT_EQ(queue_.pending(), 1u);
}

TEST_F(ManualQueueTest, CancelledWorkNeverRuns) {
  DelayedWork work = queue_.postAfter(2s, record("cancelled"));
  const DelayedWork copy = work;
  queue_.postAfter(3s, record("kept"));
  EXPECT_EQ(queue_.pending(), 2u);

  copy.cancel();
  EXPECT_TRUE(work.isCancelled());
  work.cancel();  // a second cancel changes nothing
  EXPECT_EQ(queue_.pending(), 1u);

  queue_.advance(5s);
  EXPECT_EQ(ran_, (std::vector<std::string>{"kept@3"}));
}

TEST_F(ManualQueueTest, CancelFromAnEarlierTask) {
  DelayedWork later = queue_.postAfter(4s, record("later"));
  queue_.postAfter(1s, [&] { later.cancel(); });
  queue_.advance(10s);
  EXPECT_TRUE(ran_.empty());
}

TEST_F(ManualQueueTest, IsCurrentOnlyInsideItsTasks) {
  EXPECT_FALSE(queue_.isCurrent());
  bool inside = false;
  queue_.post([&] { inside = queue_.isCurrent(); });
  queue_.runUntilIdle();
  EXPECT_TRUE(inside);
  EXPECT_FALSE(queue_.isCurrent());
}

// The queue is declared after what its tasks touch, so it stops before those go.
TEST(ThreadQueue, RunsTasksInPostingOrder) {
  std::vector<int> order;  // touched only by the queue's thread until `done`
  std::promise<void> done;
  ThreadQueue queue("zel.test");
  EXPECT_EQ(queue.label(), "zel.test");
  for (int i = 0; i < 200; ++i) queue.post([&order, i] { order.push_back(i); });
  queue.post([&] { done.set_value(); });
  done.get_future().get();

  std::vector<int> expected(200);
  for (int i = 0; i < 200; ++i) expected[static_cast<std::size_t>(i)] = i;
  EXPECT_EQ(order, expected);
}

TEST(ThreadQueue, DelayedTasksRunByDeadlineAndCancelledOnesNot) {
  std::vector<std::string> order;
  std::promise<void> gate;
  std::promise<void> done;
  ThreadQueue queue("zel.test");
  // Hold the queue until the cancel below, so the cancelled task cannot win a race.
  queue.post([opened = gate.get_future().share()] { opened.wait(); });
  queue.post([&] { order.push_back("now"); });
  queue.postAfter(150ms, [&] {
    order.push_back("later");
    done.set_value();
  });
  queue.postAfter(10ms, [&] { order.push_back("sooner"); });
  DelayedWork cancelled = queue.postAfter(1ms, [&] { order.push_back("cancelled"); });
  cancelled.cancel();
  gate.set_value();
  done.get_future().get();
  EXPECT_EQ(order, (std::vector<std::string>{"now", "sooner", "later"}));
}

TEST(ThreadQueue, IsCurrentOnlyOnItsOwnThread) {
  std::promise<std::pair<bool, bool>> seen;
  ThreadQueue queue("zel.one");
  ThreadQueue other("zel.two");
  EXPECT_FALSE(queue.isCurrent());
  queue.post([&] { seen.set_value({queue.isCurrent(), other.isCurrent()}); });
  const auto [own, foreign] = seen.get_future().get();
  EXPECT_TRUE(own);
  EXPECT_FALSE(foreign);
}

// A task that throws is reported and the thread goes on with the next task, whatever
// was thrown and whether or not the queue has a log.
TEST(ThreadQueue, AThrowingTaskIsReportedAndTheNextTaskStillRuns) {
  struct Row {
    const char* name;
    std::function<void()> task;
    bool withLog;
    std::string report;
  };
  const Row rows[] = {
      {"std::exception, logged", [] { throw std::runtime_error("disk on fire"); }, true,
       "task on zel.test threw: disk on fire"},
      {"other type, logged", [] { throw 42; }, true,
       "task on zel.test threw an exception that is not a std::exception"},
      {"no log: standard error", [] { throw std::logic_error("bad state"); }, false,
       "orvane: task on zel.test threw: bad state\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto log = row.withLog ? std::make_shared<RecordingLogSink>() : nullptr;
    if (!row.withLog) ::testing::internal::CaptureStderr();
    std::promise<bool> next;
    {
      ThreadQueue queue("zel.test", log);
      queue.post(row.task);
      queue.post([&] { next.set_value(queue.isCurrent()); });
      auto ran = next.get_future();
      ASSERT_EQ(ran.wait_for(5s), std::future_status::ready) << "the task after the throwing one never ran";
      EXPECT_TRUE(ran.get());
    }
    if (row.withLog) {
      const auto entries = log->entries();
      ASSERT_EQ(entries.size(), 1u);
      EXPECT_EQ(entries[0].level, LogLevel::error);
      EXPECT_EQ(entries[0].category, "queue");
      EXPECT_EQ(entries[0].message, row.report);
    } else {
      EXPECT_EQ(::testing::internal::GetCapturedStderr(), row.report);
    }
  }
}

TEST(ThreadQueue, AThrowingDelayedTaskDoesNotStopLaterOnes) {
  auto log = std::make_shared<RecordingLogSink>();
  std::promise<void> later;
  ThreadQueue queue("zel.test", log);
  queue.postAfter(1ms, [] { throw std::runtime_error("late failure"); });
  queue.postAfter(20ms, [&] { later.set_value(); });
  ASSERT_EQ(later.get_future().wait_for(5s), std::future_status::ready);
  EXPECT_TRUE(log->contains("task on zel.test threw: late failure"));
}

// What a task holds is let go outside the queue's lock, so a capture whose destructor
// posts (a last reference to an object that says goodbye on the queue) cannot
// deadlock the thread.
TEST(ThreadQueue, ACapturesDestructorMayPostToTheQueue) {
  struct PostsWhenReleased {
    ThreadQueue* queue;
    std::promise<void>* posted;
    ~PostsWhenReleased() {
      queue->post([posted = posted] { posted->set_value(); });
    }
  };
  std::promise<void> posted;
  auto queue = std::make_unique<ThreadQueue>("zel.test");
  queue->post([holder = std::make_shared<PostsWhenReleased>(queue.get(), &posted)] {});
  if (posted.get_future().wait_for(5s) != std::future_status::ready) {
    // The thread is stuck on its own lock and would never join: leave it, and fail.
    [[maybe_unused]] ThreadQueue* stuck = queue.release();
    FAIL() << "the queue deadlocked releasing a finished task";
  }
}

}  // namespace
}  // namespace orvane
