#pragma once

#include <atomic>
#include <cassert>
#include <functional>
#include <memory>
#include <string>

#include "base/clock.hpp"

namespace orvane {

// Handle of a delayed task. Cancelling is idempotent and safe from any thread; a
// cancelled task never runs. Copies share the same task.
class DelayedWork {
 public:
  DelayedWork() = default;
  explicit DelayedWork(std::shared_ptr<std::atomic<bool>> cancelled) : cancelled_(std::move(cancelled)) {}
  void cancel() const {
    if (cancelled_) cancelled_->store(true);
  }
  bool isCancelled() const { return !cancelled_ || cancelled_->load(); }
  bool valid() const { return static_cast<bool>(cancelled_); }

 private:
  std::shared_ptr<std::atomic<bool>> cancelled_;
};

// A labelled serial work queue: tasks run one at a time, in the order posted
// (delayed tasks when their deadline comes). `post` never runs the task before it
// returns.
class SerialQueue {
 public:
  using Task = std::function<void()>;
  virtual ~SerialQueue() = default;
  virtual const std::string& label() const = 0;
  virtual void post(Task task) = 0;
  virtual DelayedWork postAfter(Duration delay, Task task) = 0;
  // True when called from a task running on this queue.
  virtual bool isCurrent() const = 0;
};

// Wraps a task so that it does nothing once `work` is cancelled.
inline SerialQueue::Task guardedBy(const DelayedWork& work, SerialQueue::Task task) {
  return [work, task = std::move(task)] {
    if (!work.isCancelled()) task();
  };
}

// Work that belongs to a queue checks, in debug builds, that it runs there.
inline void assertOnQueue([[maybe_unused]] const SerialQueue& queue) { assert(queue.isCurrent()); }

inline DelayedWork makeDelayedWork() { return DelayedWork(std::make_shared<std::atomic<bool>>(false)); }

}  // namespace orvane
