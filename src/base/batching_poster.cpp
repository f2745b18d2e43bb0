#include "base/batching_poster.hpp"

#include <exception>
#include <utility>

namespace orvane {

std::shared_ptr<BatchingPoster> BatchingPoster::create(std::shared_ptr<SerialQueue> target, std::size_t capacity) {
  return std::shared_ptr<BatchingPoster>(new BatchingPoster(std::move(target), capacity));
}

BatchingPoster::BatchingPoster(std::shared_ptr<SerialQueue> target, std::size_t capacity)
    : target_(std::move(target)), capacity_(capacity < 1 ? 1 : capacity) {}

void BatchingPoster::post(SerialQueue::Task task) {
  const bool fromTarget = target_->isCurrent();
  std::unique_lock lock(mutex_);
  if (!fromTarget) taken_.wait(lock, [&] { return closed_ || gathered_.size() < capacity_; });
  if (closed_) return;
  const bool first = gathered_.empty();
  gathered_.push_back(std::move(task));
  // The batch is put on the queue before the lock is let go: a task that joins the batch
  // on another thread must find it queued already, or work that thread then posts to
  // the queue directly would run before the task it posted first. Queues never run a
  // task inside `post`, so the batch, should it start at once, only waits for the lock.
  if (first) {
    target_->post([weak = weak_from_this()] {
      if (auto self = weak.lock()) self->runBatch();
    });
  }
}

void BatchingPoster::runBatch() {
  std::vector<SerialQueue::Task> batch;
  {
    std::lock_guard lock(mutex_);
    batch.swap(gathered_);
  }
  taken_.notify_all();
  // A task that throws must not cost the rest of the batch their turn: the first
  // failure is passed on to the queue, which reports it, once every task has run.
  std::exception_ptr failure;
  for (auto& task : batch) {
    // Each task is released as soon as it ran, so what it captured goes in order.
    SerialQueue::Task run = std::move(task);
    try {
      run();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  if (failure) std::rethrow_exception(failure);
}

void BatchingPoster::close() {
  std::vector<SerialQueue::Task> dropped;
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
    dropped.swap(gathered_);
  }
  taken_.notify_all();
}

std::size_t BatchingPoster::waiting() const {
  std::lock_guard lock(mutex_);
  return gathered_.size();
}

}  // namespace orvane
