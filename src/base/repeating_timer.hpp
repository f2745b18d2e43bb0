#pragma once

#include <functional>
#include <memory>

#include "base/serial_queue.hpp"

namespace orvane {

// Runs `tick` on `queue` every `interval` until the timer is destroyed or stopped.
// Each tick is scheduled when the previous one has run, so a slow tick delays the next
// rather than piling ticks up. Create, stop and destroy it on `queue`.
class RepeatingTimer {
 public:
  RepeatingTimer() = default;
  RepeatingTimer(std::shared_ptr<SerialQueue> queue, Duration interval, std::function<void()> tick)
      : state_(std::make_shared<State>(State{std::move(queue), interval, std::move(tick), {}})) {
    schedule(state_);
  }
  RepeatingTimer(RepeatingTimer&&) noexcept = default;
  RepeatingTimer& operator=(RepeatingTimer&& other) noexcept {
    if (this != &other) {
      stop();
      state_ = std::move(other.state_);
    }
    return *this;
  }
  ~RepeatingTimer() { stop(); }

  void stop() {
    if (state_) state_->next.cancel();
    state_.reset();
  }
  bool running() const { return static_cast<bool>(state_); }

 private:
  struct State {
    std::shared_ptr<SerialQueue> queue;
    Duration interval;
    std::function<void()> tick;
    DelayedWork next;
  };

  static void schedule(const std::shared_ptr<State>& state) {
    std::weak_ptr<State> weak = state;
    state->next = state->queue->postAfter(state->interval, [weak] {
      auto self = weak.lock();
      if (!self) return;
      schedule(self);  // before the tick, so that a tick that stops the timer cancels it
      self->tick();
    });
  }

  std::shared_ptr<State> state_;
};

}  // namespace orvane
