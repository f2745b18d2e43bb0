#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "base/fake_clock.hpp"
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

}  // namespace
}  // namespace orvane
