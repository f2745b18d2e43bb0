#pragma once

#include <condition_variable>
#include <mutex>
#include <queue>
#include <thread>
#include <vector>

#include "base/serial_queue.hpp"

namespace orvane {

// A serial queue backed by one plain thread. Destruction stops the thread after the
// task that is running; tasks still waiting are discarded.
class ThreadQueue final : public SerialQueue {
 public:
  explicit ThreadQueue(std::string label);
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
  std::mutex mutex_;
  std::condition_variable wake_;
  std::priority_queue<Item, std::vector<Item>, std::greater<>> items_;
  std::uint64_t nextOrder_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace orvane
