#include "platform/qt/qt_main_queue.hpp"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>

namespace orvane {

QtMainQueue::QtMainQueue() : context_(QCoreApplication::instance()) {}

void QtMainQueue::post(Task task) {
  QMetaObject::invokeMethod(context_, [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

DelayedWork QtMainQueue::postAfter(Duration delay, Task task) {
  DelayedWork work = makeDelayedWork();
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(delay);
  // QTimer must be armed on the thread that owns the context object.
  post([this, ms, guarded = guardedBy(work, std::move(task))] {
    QTimer::singleShot(ms, Qt::PreciseTimer, context_, guarded);
  });
  return work;
}

bool QtMainQueue::isCurrent() const { return QThread::currentThread() == context_->thread(); }

}  // namespace orvane
