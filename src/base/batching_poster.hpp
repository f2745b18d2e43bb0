#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "base/serial_queue.hpp"

namespace orvane {

// Hands work from other threads to one serial queue in batches: tasks gather in a list
// of our own, and only the first task of a batch posts to the queue, whose one run then
// runs every task gathered by then, in the order posted. A flood of work from the
// network thus costs the target queue (the main thread, whose every post is a wake-up)
// one post per batch instead of one per task.
//
// The list is bounded. A thread that posts while `capacity` tasks already wait is held
// until the queue has taken them, so a producer faster than the queue slows down to its
// pace (and stops reading its socket) instead of letting the list grow without end.
// Work posted from the target queue itself is never held: it would wait for itself.
// After `close()` nothing is held any more and later tasks are dropped, so that a
// producer cannot wait forever on a queue that no longer runs.
class BatchingPoster : public std::enable_shared_from_this<BatchingPoster> {
 public:
  static constexpr std::size_t defaultCapacity = 4096;

  static std::shared_ptr<BatchingPoster> create(std::shared_ptr<SerialQueue> target,
                                                std::size_t capacity = defaultCapacity);
  BatchingPoster(const BatchingPoster&) = delete;
  BatchingPoster& operator=(const BatchingPoster&) = delete;

  void post(SerialQueue::Task task);
  // Drops the tasks still waiting (they are destroyed on the calling thread), frees
  // every held producer, and drops whatever is posted afterwards.
  void close();
  // Tasks gathered and not yet taken by the queue.
  std::size_t waiting() const;

 private:
  BatchingPoster(std::shared_ptr<SerialQueue> target, std::size_t capacity);
  void runBatch();

  std::shared_ptr<SerialQueue> target_;
  const std::size_t capacity_;
  mutable std::mutex mutex_;
  std::condition_variable taken_;
  std::vector<SerialQueue::Task> gathered_;
  bool closed_ = false;
};

}  // namespace orvane
