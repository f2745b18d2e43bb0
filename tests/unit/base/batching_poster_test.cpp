#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/batching_poster.hpp"
#include "base/fake_clock.hpp"
#include "base/manual_queue.hpp"
#include "base/thread_queue.hpp"

namespace orvane {
namespace {

class BatchingPosterTest : public ::testing::Test {
 protected:
  SerialQueue::Task record(std::string name) {
    return [this, name = std::move(name)] { ran_.push_back(name); };
  }

  FakeClock clock_;
  std::shared_ptr<ManualQueue> queue_ = std::make_shared<ManualQueue>("main", clock_);
  std::vector<std::string> ran_;
};

TEST_F(BatchingPosterTest, TasksPostedBeforeTheQueueRunsShareOnePost) {
  auto poster = BatchingPoster::create(queue_);
  poster->post(record("a"));
  poster->post(record("b"));
  poster->post(record("c"));
  EXPECT_EQ(queue_->pending(), 1u);
  EXPECT_EQ(poster->waiting(), 3u);

  queue_->runUntilIdle();
  EXPECT_EQ(ran_, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(poster->waiting(), 0u);

  poster->post(record("d"));
  EXPECT_EQ(queue_->pending(), 1u) << "a new batch posts again";
  queue_->runUntilIdle();
  EXPECT_EQ(ran_.back(), "d");
}

TEST_F(BatchingPosterTest, WorkPostedByABatchRunsAfterItInOrder) {
  auto poster = BatchingPoster::create(queue_, 2);
  // From the queue itself nothing waits, although three exceed the capacity.
  poster->post([&] {
    ran_.push_back("a");
    poster->post(record("a1"));
    poster->post(record("a2"));
    poster->post(record("a3"));
  });
  poster->post(record("b"));
  queue_->runUntilIdle();
  EXPECT_EQ(ran_, (std::vector<std::string>{"a", "b", "a1", "a2", "a3"}));
}

TEST_F(BatchingPosterTest, AThrowingTaskLeavesTheRestOfItsBatchToRunAndIsPassedOn) {
  auto poster = BatchingPoster::create(queue_);
  poster->post(record("a"));
  poster->post([] { throw std::runtime_error("bad task"); });
  poster->post(record("c"));
  EXPECT_THROW(queue_->runUntilIdle(), std::runtime_error);
  EXPECT_EQ(ran_, (std::vector<std::string>{"a", "c"}));
}

TEST_F(BatchingPosterTest, ClosingDropsWhatWaitsAndWhatComesLater) {
  auto poster = BatchingPoster::create(queue_);
  poster->post(record("a"));
  poster->close();
  poster->post(record("b"));
  queue_->runUntilIdle();
  EXPECT_TRUE(ran_.empty());
  EXPECT_EQ(poster->waiting(), 0u);
}

// A queue whose first post holds its caller until the test lets it go: the moment
// between a batch's first task and the batch reaching the queue, made long.
class HeldFirstPost final : public SerialQueue {
 public:
  explicit HeldFirstPost(std::shared_ptr<SerialQueue> inner) : inner_(std::move(inner)) {}
  const std::string& label() const override { return inner_->label(); }
  void post(Task task) override {
    if (!held_.exchange(true)) {
      entered_.set_value();
      released_.wait();
    }
    std::lock_guard lock(mutex_);
    inner_->post(std::move(task));
  }
  DelayedWork postAfter(Duration delay, Task task) override {
    std::lock_guard lock(mutex_);
    return inner_->postAfter(delay, std::move(task));
  }
  bool isCurrent() const override { return false; }

  void waitUntilHeld() { entered_.get_future().wait(); }
  void release() { release_.set_value(); }

 private:
  std::shared_ptr<SerialQueue> inner_;
  std::mutex mutex_;
  std::atomic<bool> held_{false};
  std::promise<void> entered_;
  std::promise<void> release_;
  std::shared_future<void> released_ = release_.get_future().share();
};

TEST_F(BatchingPosterTest, ATaskThatJoinsABatchStillOnItsWayRunsBeforeWhatItsThreadPostsNext) {
  auto held = std::make_shared<HeldFirstPost>(queue_);
  auto poster = BatchingPoster::create(held);
  std::thread first([&] { poster->post(record("first")); });
  held->waitUntilHeld();
  auto second = std::async(std::launch::async, [&] {
    poster->post(record("second"));
    held->post(record("posted directly after"));
  });
  // Given time to overtake the batch on its way, a faulty poster lets the second thread
  // post past it; a sound one holds that thread until the batch is queued.
  const bool overtook = second.wait_for(std::chrono::milliseconds(200)) == std::future_status::ready;
  held->release();
  first.join();
  second.get();
  queue_->runUntilIdle();
  EXPECT_FALSE(overtook);
  EXPECT_EQ(ran_, (std::vector<std::string>{"first", "second", "posted directly after"}));
}

TEST(BatchingPosterBound, AProducerAheadByTheCapacityWaitsUntilTheQueueCatchesUp) {
  auto queue = std::make_shared<ThreadQueue>("main");
  // The queue is busy until the test lets it go on.
  std::promise<void> letGo;
  std::shared_future<void> released = letGo.get_future().share();
  queue->post([released] { released.wait(); });

  auto poster = BatchingPoster::create(queue, 2);
  std::vector<int> ran;  // written on the queue only
  std::atomic<int> returned{0};
  std::thread producer([&] {
    for (int i = 1; i <= 3; ++i) {
      poster->post([&ran, i] { ran.push_back(i); });
      returned = i;
    }
  });
  while (poster->waiting() < 2) std::this_thread::yield();
  // The third post cannot get in while two wait and the queue is busy.
  EXPECT_LE(poster->waiting(), 2u);
  EXPECT_LT(returned.load(), 3);

  letGo.set_value();
  producer.join();
  std::promise<std::vector<int>> seen;
  poster->post([&] { seen.set_value(ran); });
  EXPECT_EQ(seen.get_future().get(), (std::vector<int>{1, 2, 3}));
}

TEST(BatchingPosterBound, ClosingFreesAWaitingProducerAndDropsItsTask) {
  auto queue = std::make_shared<ThreadQueue>("main");
  std::promise<void> letGo;
  std::shared_future<void> released = letGo.get_future().share();
  queue->post([released] { released.wait(); });

  auto poster = BatchingPoster::create(queue, 1);
  std::atomic<bool> lateTaskRan{false};
  poster->post([] {});
  std::thread producer([&] { poster->post([&] { lateTaskRan = true; }); });
  poster->close();
  producer.join();  // would hang if closing left it waiting
  letGo.set_value();
  std::promise<void> drained;
  queue->post([&] { drained.set_value(); });
  drained.get_future().wait();
  EXPECT_FALSE(lateTaskRan.load());
}

}  // namespace
}  // namespace orvane
