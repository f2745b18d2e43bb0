#include "base/manual_queue.hpp"

#include <algorithm>

namespace orvane {

void ManualQueue::post(Task task) {
  std::lock_guard lock(mutex_);
  items_.push_back(Item{clock_.now(), nextOrder_++, std::move(task), {}});
}

DelayedWork ManualQueue::postAfter(Duration delay, Task task) {
  DelayedWork work = makeDelayedWork();
  std::lock_guard lock(mutex_);
  items_.push_back(Item{clock_.now() + delay, nextOrder_++, std::move(task), work});
  return work;
}

bool ManualQueue::runOneDue() {
  Item item;
  {
    std::lock_guard lock(mutex_);
    const SteadyTime now = clock_.now();
    auto best = items_.end();
    for (auto it = items_.begin(); it != items_.end(); ++it) {
      if (it->due > now) continue;
      if (best == items_.end() || it->due < best->due || (it->due == best->due && it->order < best->order)) best = it;
    }
    if (best == items_.end()) return false;
    item = std::move(*best);
    items_.erase(best);
  }
  if (item.work.valid() && item.work.isCancelled()) return true;
  // Run outside the lock: the task may post to this queue.
  const std::thread::id was = runner_.exchange(std::this_thread::get_id());
  struct Restore {
    std::atomic<std::thread::id>& runner;
    std::thread::id was;
    ~Restore() { runner.store(was); }
  } restore{runner_, was};
  item.task();
  return true;
}

std::size_t ManualQueue::runUntilIdle() {
  std::size_t ran = 0;
  while (runOneDue()) ++ran;
  return ran;
}

void ManualQueue::advance(Duration d) {
  const SteadyTime target = clock_.now() + d;
  runUntilIdle();
  for (;;) {
    SteadyTime next = target;
    {
      std::lock_guard lock(mutex_);
      for (const Item& item : items_) {
        if (item.work.valid() && item.work.isCancelled()) continue;
        next = std::min(next, item.due);
      }
    }
    if (next > clock_.now()) clock_.advance(next - clock_.now());
    runUntilIdle();
    if (clock_.now() >= target) break;
  }
}

std::size_t ManualQueue::pending() const {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(std::count_if(items_.begin(), items_.end(), [](const Item& item) {
    return !(item.work.valid() && item.work.isCancelled());
  }));
}

}  // namespace orvane
