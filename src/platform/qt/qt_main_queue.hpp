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
  bool isCurrent() const override;

 private:
  std::string label_ = "main";
  QObject* context_;
};

}  // namespace orvane
