#pragma once

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <queue>
#include <string_view>
#include <thread>
#include <vector>

#include "base/log.hpp"
#include "base/serial_queue.hpp"

namespace orvane {

// Reports a task of the queue `label` that ended by throwing `failure` (what() of a
// std::exception, or a note that it was of another type): to `log` under "queue" when
// there is one, otherwise as one line on standard error. For every queue that runs
// tasks on a thread of its own, where nobody else is there to catch.
void reportTaskFailure(const std::shared_ptr<LogSink>& log, std::string_view label, std::exception_ptr failure) noexcept;

// A serial queue backed by one plain thread. Destruction stops the thread after the
// task that is running; tasks still waiting are discarded. A task that throws is
// reported (see reportTaskFailure) and the queue goes on with the next one: one bad
// task must not take the thread, and with it the program, down.
class ThreadQueue final : public SerialQueue {
 public:
  explicit ThreadQueue(std::string label, std::shared_ptr<LogSink> log = nullptr);
  ~ThreadQueue() override;
  ThreadQueue(const ThreadQueue&) = delete;
  ThreadQueue& operator=(const ThreadQueue&) = delete;

  const std::string& label() const override { return label_; }
  void post(Task task) override;
  DelayedWork postAfter(Duration delay, Task task) override;
  bool isCurrent() const override;

 private:
  struct Item {
    SteadyTime due;
    std::uint64_t order;
    Task task;
    bool operator>(const Item& other) const { return due != other.due ? due > other.due : order > other.order; }
  };
  void run();

  std::string label_;
  std::shared_ptr<LogSink> log_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::priority_queue<Item, std::vector<Item>, std::greater<>> items_;
  std::uint64_t nextOrder_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace orvane
