#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "base/fake_clock.hpp"
#include "base/serial_queue.hpp"

namespace orvane {

// A serial queue for tests: nothing runs until the test says so, and delayed work
// becomes due only when the fake clock is advanced. Tasks run on the thread that calls
// `runUntilIdle` or `advance`; work may be posted from any thread (a test may give the
// hub a real main thread while it runs the server's queue itself).
class ManualQueue final : public SerialQueue {
 public:
  ManualQueue(std::string label, FakeClock& clock) : label_(std::move(label)), clock_(clock) {}

  const std::string& label() const override { return label_; }
  void post(Task task) override;
  DelayedWork postAfter(Duration delay, Task task) override;
  bool isCurrent() const override { return runner_.load() == std::this_thread::get_id(); }

  // Runs every task that is due now, including tasks those tasks post; returns how many ran.
  std::size_t runUntilIdle();
  // Moves the clock forward in steps, running each delayed task at its own deadline.
  void advance(Duration d);
  // Runs `inspect` now as if it were a task of this queue (isCurrent() is true inside),
  // without running anything that waits; for tests that read state owned by the queue.
  template <class F>
  decltype(auto) enter(F&& inspect) {
    struct Entered {
      std::atomic<std::thread::id>& runner;
      std::thread::id was;
      ~Entered() { runner.store(was); }
    } entered{runner_, runner_.load()};
    runner_.store(std::this_thread::get_id());
    return inspect();
  }
  // Number of tasks waiting (due or not, cancelled ones excluded).
  std::size_t pending() const;

 private:
  struct Item {
    SteadyTime due;
    std::uint64_t order;
    Task task;
    DelayedWork work;
  };
  bool runOneDue();

  std::string label_;
  FakeClock& clock_;
  mutable std::mutex mutex_;  // guards items_ and nextOrder_
  std::vector<Item> items_;
  std::uint64_t nextOrder_ = 0;
  std::atomic<std::thread::id> runner_;  // the thread running a task now, if any
};

}  // namespace orvane
