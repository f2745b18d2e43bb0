#include "base/manual_queue.hpp"

#include <algorithm>

namespace orvane {

void ManualQueue::post(Task task) {
  items_.push_back(Item{clock_.now(), nextOrder_++, std::move(task), {}});
}

DelayedWork ManualQueue::postAfter(Duration delay, Task task) {
  DelayedWork work = makeDelayedWork();
  items_.push_back(Item{clock_.now() + delay, nextOrder_++, std::move(task), work});
  return work;
}

bool ManualQueue::runOneDue() {
  const SteadyTime now = clock_.now();
  auto best = items_.end();
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (it->due > now) continue;
    if (best == items_.end() || it->due < best->due || (it->due == best->due && it->order < best->order)) best = it;
  }
  if (best == items_.end()) return false;
  Item item = std::move(*best);
  items_.erase(best);
  if (item.work.valid() && item.work.isCancelled()) return true;
  running_ = true;
  item.task();
  running_ = false;
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
    for (const Item& item : items_) {
      if (item.work.valid() && item.work.isCancelled()) continue;
      next = std::min(next, item.due);
    }
    if (next > clock_.now()) clock_.advance(next - clock_.now());
    runUntilIdle();
    if (clock_.now() >= target) break;
  }
}

std::size_t ManualQueue::pending() const {
  return static_cast<std::size_t>(std::count_if(items_.begin(), items_.end(), [](const Item& item) {
    return !(item.work.valid() && item.work.isCancelled());
  }));
}

}  // namespace orvane
