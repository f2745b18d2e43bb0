#pragma once

#include <QObject>

#include <cstdint>
#include <vector>

namespace orvane::testing {

// The test's own ear on the private system bus, beside the adapter under test: it
// records what the stand-in logind really sent, and the fences that tell a test that
// every signal the stand-in sent before has been handed to the main thread.
//
// A fence works because one sender's signals reach a connection in the order they were
// sent, and Qt D-Bus hands each to its receiver as an event posted to the receiver's
// thread, in that same order: once the main thread has seen fence n, it has seen every
// signal the stand-in sent before it, the adapter's included.
class BusProbe final : public QObject {
  Q_OBJECT

 public:
  BusProbe();
  ~BusProbe() override;
  // Whether both subscriptions were accepted by the bus.
  bool ready() const { return ready_; }
  // Every PrepareForSleep(start) from logind, oldest first.
  const std::vector<bool>& sleepSignals() const { return sleepSignals_; }
  // The number of the latest fence; 0 before any.
  std::uint32_t lastFence() const { return lastFence_; }

 public slots:
  void prepareForSleep(bool start);
  void fence(uint number);

 private:
  bool ready_ = false;
  std::vector<bool> sleepSignals_;
  std::uint32_t lastFence_ = 0;
};

}  // namespace orvane::testing
