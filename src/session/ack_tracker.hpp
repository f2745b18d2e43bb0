#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "base/serial_queue.hpp"

namespace orvane {

// How a tracked send ended.
enum class AckOutcome {
  acked,     // the phone's `ack` came in the same session generation
  timedOut,  // no `ack` within the time-out
  settled,   // the session ended first
};

// Sent envelopes that wait for the phone's `ack`. Each waits at most `timeout`; the
// generation recorded at sending makes an `ack` or a time-out of an older session
// harmless. Lives on the server's queue.
class AckTracker : public std::enable_shared_from_this<AckTracker> {
 public:
  using OnOutcome = std::function<void(const std::string& id, AckOutcome outcome)>;

  AckTracker(std::shared_ptr<SerialQueue> queue, Duration timeout) : queue_(std::move(queue)), timeout_(timeout) {}
  ~AckTracker();

  // Waits for the `ack` of envelope `id`, sent while the session generation was `gen`.
  void track(const std::string& id, std::int64_t gen, OnOutcome onOutcome);
  // The phone acknowledged `id`; ignored unless it was sent in generation `currentGen`.
  void acknowledge(const std::string& id, std::int64_t currentGen);
  // Ends every wait at once, reporting each as settled, in id order.
  void settle();
  std::size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    std::int64_t gen;
    DelayedWork timeout;
    OnOutcome onOutcome;
  };
  void timedOut(const std::string& id, std::int64_t gen);

  std::shared_ptr<SerialQueue> queue_;
  Duration timeout_;
  std::map<std::string, Entry> entries_;
};

}  // namespace orvane
