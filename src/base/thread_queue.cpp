#include "base/thread_queue.hpp"

#include <cstdio>
#include <string>

namespace orvane {

namespace {
thread_local const ThreadQueue* currentQueue = nullptr;

std::string describe(std::exception_ptr failure) {
  try {
    std::rethrow_exception(std::move(failure));
  } catch (const std::exception& e) {
    return std::string("threw: ") + e.what();
  } catch (...) {
    return "threw an exception that is not a std::exception";
  }
}
}  // namespace

void reportTaskFailure(const std::shared_ptr<LogSink>& log, std::string_view label, std::exception_ptr failure) noexcept {
  try {
    const std::string message = "task on " + std::string(label) + " " + describe(std::move(failure));
    if (log) {
      Logger(log, "queue").error(message);
      return;
    }
    // One call, so that the line is not interleaved with another thread's output.
    const std::string line = "orvane: " + message + "\n";
    std::fputs(line.c_str(), stderr);
  } catch (...) {
    // The report itself failed (no memory, a sink that throws); it must not end the
    // thread either.
    std::fputs("orvane: a queued task threw and the report of it failed too\n", stderr);
  }
}

ThreadQueue::ThreadQueue(std::string label, std::shared_ptr<LogSink> log)
    : label_(std::move(label)), log_(std::move(log)), thread_([this] { run(); }) {}

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
    try {
      task();
    } catch (...) {
      reportTaskFailure(log_, label_, std::current_exception());
    }
    // The task (and whatever it holds) goes before the lock is taken again: its
    // destructors may post to this queue.
    task = nullptr;
    lock.lock();
  }
}

}  // namespace orvane
