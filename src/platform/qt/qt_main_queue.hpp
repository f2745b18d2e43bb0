#pragma once

#include <QObject>
#include <QThread>

#include <memory>

#include "base/serial_queue.hpp"

namespace orvane {

// The main queue on the Qt event loop of the application object (QCoreApplication in
// the headless front end, QGuiApplication in the desktop program).
//
// Tasks wait in a list of our own, and each Qt event posted for them runs the oldest,
// so a task and everything it captured are destroyed on the main thread after it ran,
// never on the thread that posted it. (Handing the task itself to Qt would leave its
// destruction to whichever thread drops Qt's last reference to it.)
class QtMainQueue final : public SerialQueue {
 public:
  QtMainQueue();
  // May run on any thread: when it is not the main one, what is already posted still
  // runs there.
  ~QtMainQueue() override;
  QtMainQueue(const QtMainQueue&) = delete;
  QtMainQueue& operator=(const QtMainQueue&) = delete;

  const std::string& label() const override { return label_; }
  void post(Task task) override;
  DelayedWork postAfter(Duration delay, Task task) override;
  // True anywhere on the application's thread, not only inside a posted task: what
  // runs there (a Qt signal handler, a QML call) is serialised with the queue's tasks
  // just the same.
  bool isCurrent() const override;

 private:
  struct Waiting;
  class Receiver;

  std::string label_ = "main";
  std::shared_ptr<Waiting> waiting_;  // shared with the receiver
  Receiver* receiver_;                // ours, but deleted on its own thread
};

}  // namespace orvane
