#pragma once

#include <QObject>
#include <QThread>

#include "base/serial_queue.hpp"

namespace orvane {

// The main queue on the Qt event loop of the application object (QCoreApplication in
// the headless front end, QGuiApplication in the desktop program).
class QtMainQueue final : public SerialQueue {
 public:
  QtMainQueue();
  const std::string& label() const override { return label_; }
  void post(Task task) override;
  DelayedWork postAfter(Duration delay, Task task) override;
  // True anywhere on the application's thread, not only inside a posted task: what
  // runs there (a Qt signal handler, a QML call) is serialised with the queue's tasks
  // just the same.
  bool isCurrent() const override;

 private:
  std::string label_ = "main";
  QObject* context_;
};

}  // namespace orvane
