#pragma once

#include <memory>
#include <string>
#include <thread>

#include <asio/executor_work_guard.hpp>
#include <asio/io_context.hpp>

#include "base/log.hpp"
#include "base/serial_queue.hpp"

namespace orvane {

// A serial queue on one thread that runs an asio::io_context. Sockets and timers made
// on `context()` complete on this thread, so their handlers already run on the queue.
//
// Objects built on `context()` (listeners, connections) must be destroyed before the
// queue. Tasks still waiting when the queue stops are discarded, never run.
//
// A task or completion handler that throws is reported (to `log`, or to standard
// error without one) and the thread goes on with the next: the exception would
// otherwise leave the thread and end the program.
class AsioSerialQueue final : public SerialQueue {
 public:
  explicit AsioSerialQueue(std::string label, std::shared_ptr<LogSink> log = nullptr);
  ~AsioSerialQueue() override;
  AsioSerialQueue(const AsioSerialQueue&) = delete;
  AsioSerialQueue& operator=(const AsioSerialQueue&) = delete;

  const std::string& label() const override { return label_; }
  void post(Task task) override;
  DelayedWork postAfter(Duration delay, Task task) override;
  bool isCurrent() const override;

  // Lets the running task finish, then ends the thread; later tasks never run.
  // Idempotent. Called from one of the queue's own tasks it cannot wait for the
  // thread, which then ends on its own once that task returns.
  void stop();

  asio::io_context& context() { return *context_; }

 private:
  std::string label_;
  // Shared with the thread, so the context outlives the thread's last use of it even
  // when the queue is stopped from one of its own tasks.
  std::shared_ptr<asio::io_context> context_;
  asio::executor_work_guard<asio::io_context::executor_type> work_;
  std::thread thread_;
};

}  // namespace orvane
