#include "platform/qt/qt_main_queue.hpp"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <exception>
#include <limits>
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
    // A task that throws must not end the event loop, and with it the program.
    try {
      task();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "orvane: a task on the main queue failed: %s\n", e.what());
    } catch (...) {
      std::fprintf(stderr, "orvane: a task on the main queue failed\n");
    }
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
  using std::chrono::milliseconds;
  DelayedWork work = makeDelayedWork();
  // QTimer takes an int of milliseconds and drops a negative one with a warning, so a
  // delay that is already over would never run: it is clamped to [0, the int range].
  const auto longest = milliseconds(std::numeric_limits<int>::max());
  const Duration wait = std::clamp<Duration>(delay, Duration::zero(), longest);
  const SteadyTime due = std::chrono::steady_clock::now() + wait;
  // QTimer must be armed on the thread that owns the receiver. It waits what is left
  // when it is armed, so time the loop spends before getting to it is not added. The
  // timer goes with the receiver, so nothing runs once the queue is gone.
  post([receiver = receiver_, due, guarded = guardedBy(work, std::move(task))] {
    const auto left = std::chrono::ceil<milliseconds>(due - std::chrono::steady_clock::now());
    QTimer::singleShot(std::max(left, milliseconds::zero()), Qt::PreciseTimer, receiver, guarded);
  });
  return work;
}

bool QtMainQueue::isCurrent() const { return QThread::currentThread() == receiver_->thread(); }

}  // namespace orvane
