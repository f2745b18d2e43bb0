#include "platform/linux/net/asio_serial_queue.hpp"

#include <pthread.h>

#include <asio/post.hpp>
#include <asio/steady_timer.hpp>

#include "base/thread_queue.hpp"

namespace orvane {

namespace {
// Linux thread names hold at most 15 characters.
void nameThisThread(const std::string& label) { pthread_setname_np(pthread_self(), label.substr(0, 15).c_str()); }
}  // namespace

AsioSerialQueue::AsioSerialQueue(std::string label, std::shared_ptr<LogSink> log)
    : label_(std::move(label)),
      context_(std::make_shared<asio::io_context>(1)),
      work_(asio::make_work_guard(*context_)),
      thread_([context = context_, label = label_, log = std::move(log)] {
        nameThisThread(label);
        // An exception from a handler comes out of run(), with the context still
        // sound; run() is simply entered again and carries on with the next handler.
        // It returns normally only once the queue is stopped.
        for (;;) {
          try {
            context->run();
            return;
          } catch (...) {
            reportTaskFailure(log, label, std::current_exception());
          }
        }
      }) {}

AsioSerialQueue::~AsioSerialQueue() { stop(); }

void AsioSerialQueue::post(Task task) { asio::post(*context_, std::move(task)); }

DelayedWork AsioSerialQueue::postAfter(Duration delay, Task task) {
  DelayedWork work = makeDelayedWork();
  const auto due = std::chrono::steady_clock::now() + delay;
  // The timer is made on the queue's own thread; the wait handler owns it, so it
  // lives exactly as long as the wait.
  asio::post(*context_, [context = context_.get(), due, task = guardedBy(work, std::move(task))]() mutable {
    auto timer = std::make_shared<asio::steady_timer>(*context, due);
    timer->async_wait([timer, task = std::move(task)](const asio::error_code& ec) {
      // Nothing cancels these timers; an error means the queue is shutting down.
      if (!ec) task();
    });
  });
  return work;
}

bool AsioSerialQueue::isCurrent() const { return context_->get_executor().running_in_this_thread(); }

void AsioSerialQueue::stop() {
  work_.reset();
  context_->stop();
  if (!thread_.joinable()) return;
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();
  } else {
    thread_.join();
  }
}

}  // namespace orvane
