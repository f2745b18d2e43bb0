#include "platform/qt/qt_main_queue.hpp"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <limits>

namespace orvane {

QtMainQueue::QtMainQueue() : context_(QCoreApplication::instance()) {}

void QtMainQueue::post(Task task) {
  QMetaObject::invokeMethod(context_, [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

DelayedWork QtMainQueue::postAfter(Duration delay, Task task) {
  using std::chrono::milliseconds;
  DelayedWork work = makeDelayedWork();
  // QTimer takes an int of milliseconds and drops a negative one with a warning, so a
  // delay that is already over would never run: it is clamped to [0, the int range].
  const auto longest = milliseconds(std::numeric_limits<int>::max());
  const Duration wait = std::clamp<Duration>(delay, Duration::zero(), longest);
  const SteadyTime due = std::chrono::steady_clock::now() + wait;
  // QTimer must be armed on the thread that owns the context object. It waits what is
  // left when it is armed, so time the loop spends before getting to it is not added.
  // The task holds the context, not this queue object, which may be gone by then.
  post([context = context_, due, guarded = guardedBy(work, std::move(task))] {
    const auto left = std::chrono::ceil<milliseconds>(due - std::chrono::steady_clock::now());
    QTimer::singleShot(std::max(left, milliseconds::zero()), Qt::PreciseTimer, context, guarded);
  });
  return work;
}

bool QtMainQueue::isCurrent() const { return QThread::currentThread() == context_->thread(); }

}  // namespace orvane
