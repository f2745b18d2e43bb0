#include "platform/qt/qt_main_queue.hpp"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <chrono>
#include <deque>
#include <mutex>

namespace orvane {

namespace {
const QEvent::Type kRunTask = static_cast<QEvent::Type>(QEvent::registerEventType());
}  // namespace

// The tasks posted and not yet run, oldest first.
struct QtMainQueue::Waiting {
  std::mutex mutex;
  std::deque<Task> tasks;

  void push(Task task) {
    std::lock_guard lock(mutex);
    tasks.push_back(std::move(task));
  }

  void runOldest() {
    Task task;
    {
      std::lock_guard lock(mutex);
      if (tasks.empty()) return;
      task = std::move(tasks.front());
      tasks.pop_front();
    }
    task();
  }
};

// Lives on the application's thread and runs one task per event it receives. Only its
// queue posts to it, and only kRunTask events.
class QtMainQueue::Receiver final : public QObject {
 public:
  explicit Receiver(std::shared_ptr<Waiting> waiting) : waiting_(std::move(waiting)) {}

 protected:
  void customEvent(QEvent*) override { waiting_->runOldest(); }

 private:
  std::shared_ptr<Waiting> waiting_;
};

QtMainQueue::QtMainQueue() : waiting_(std::make_shared<Waiting>()), receiver_(new Receiver(waiting_)) {
  receiver_->moveToThread(QCoreApplication::instance()->thread());
}

QtMainQueue::~QtMainQueue() {
  // A QObject is deleted on its own thread. On the main thread that also drops the
  // events and timers still pending; from elsewhere (the last owner of the queue may be
  // a worker thread) the receiver goes once the main thread has run what is posted.
  if (isCurrent()) {
    delete receiver_;
  } else {
    receiver_->deleteLater();
  }
}

void QtMainQueue::post(Task task) {
  // The event is made before the task is queued and is never read by our code: the
  // lock the main thread takes to run the task then orders the event's allocation
  // before Qt frees it, also for a race detector that cannot see Qt's own locking.
  auto* event = new QEvent(kRunTask);
  waiting_->push(std::move(task));
  QCoreApplication::postEvent(receiver_, event);
}

DelayedWork QtMainQueue::postAfter(Duration delay, Task task) {
  DelayedWork work = makeDelayedWork();
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(delay);
  // QTimer must be armed on the thread that owns the context object.
  post([receiver = receiver_, ms, guarded = guardedBy(work, std::move(task))] {
    QTimer::singleShot(ms, Qt::PreciseTimer, receiver, guarded);
  });
  return work;
}

bool QtMainQueue::isCurrent() const { return QThread::currentThread() == receiver_->thread(); }

}  // namespace orvane
