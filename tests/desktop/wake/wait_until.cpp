#include "wait_until.hpp"

#include <QEventLoop>
#include <QTimer>

namespace orvane::testing {

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  if (condition()) return true;
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (condition()) loop.quit();
  });
  check.start(std::chrono::milliseconds(5));
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  deadline.start(limit);
  loop.exec();
  return condition();
}

}  // namespace orvane::testing
