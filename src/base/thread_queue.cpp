#include "base/thread_queue.hpp"

namespace orvane {

namespace {
thread_local const ThreadQueue* currentQueue = nullptr;
}

ThreadQueue::ThreadQueue(std::string label) : label_(std::move(label)), thread_([this] { run(); }) {}

ThreadQueue::~ThreadQueue() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) {
    if (thread_.get_id() == std::this_thread::get_id()) {
      thread_.detach();
    } else {
      thread_.join();
    }
  }
}

void ThreadQueue::post(Task task) {
  {
    std::lock_guard lock(mutex_);
    items_.push(Item{std::chrono::steady_clock::now(), nextOrder_++, std::move(task)});
  }
  wake_.notify_one();
}

DelayedWork ThreadQueue::postAfter(Duration delay, Task task) {
  DelayedWork work = makeDelayedWork();
  {
    std::lock_guard lock(mutex_);
    items_.push(Item{std::chrono::steady_clock::now() + delay, nextOrder_++, guardedBy(work, std::move(task))});
  }
  wake_.notify_one();
  return work;
}

bool ThreadQueue::isCurrent() const { return currentQueue == this; }

void ThreadQueue::run() {
  currentQueue = this;
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (items_.empty()) {
      wake_.wait(lock);
      continue;
    }
    const SteadyTime due = items_.top().due;
    if (due > std::chrono::steady_clock::now()) {
      wake_.wait_until(lock, due);
      continue;
    }
    Task task = std::move(const_cast<Item&>(items_.top()).task);
    items_.pop();
    lock.unlock();
    task();
    lock.lock();
  }
}

}  // namespace orvane
