#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/serial_queue.hpp"
#include "pairing/qr_image.hpp"

namespace orvane::cli {

using Event = nlohmann::ordered_json;

// Writes events to standard output: one JSON object per line with --json, a readable
// line otherwise (the pairing QR code drawn beside its text).
//
// Without a queue every event is written and flushed at once. With one (the main
// queue), events gather and are written with one flush once the work running now is
// done: a burst of events costs one write, not one each. There a list's state that
// changes again before the flush is printed once, at the place of its last change,
// with its last value: a reader of the stream misses no state that held when the
// flush came, only those that had already been replaced.
class EventPrinter : public std::enable_shared_from_this<EventPrinter> {
 public:
  // Builds a state event when it is printed; none when what it shows is gone. Shared,
  // so that a state changed with every event is not copied with every event.
  using StateBuilder = std::shared_ptr<const std::function<std::optional<Event>()>>;
  template <class F>
  static StateBuilder stateBuilder(F build) {
    return std::make_shared<const std::function<std::optional<Event>()>>(std::move(build));
  }

  explicit EventPrinter(bool json, std::FILE* out = stdout, std::shared_ptr<SerialQueue> flushOn = nullptr)
      : json_(json), out_(out), flushOn_(std::move(flushOn)) {}
  // Writes what is still gathered.
  ~EventPrinter();
  EventPrinter(const EventPrinter&) = delete;
  EventPrinter& operator=(const EventPrinter&) = delete;

  void print(const Event& event, const std::optional<QRImage>& qr = std::nullopt);
  // Whether events are written as JSON lines (--json).
  bool writesJson() const { return json_; }
  // Writes `line`, one event's compact JSON made by the caller, as the next event; for
  // the events that come by the thousand. Only when writesJson().
  void printJsonLine(std::string_view line);
  // The state named `key` changed: `build` makes its event when it is written, and
  // replaces an event of the same key still gathered.
  void printState(const std::string& key, StateBuilder build);
  // Writes everything gathered now.
  void flush();
  // A readable message for people (never in JSON mode's stdout stream).
  void note(const std::string& text);

 private:
  // Where a state's event goes among the lines, and how it is made.
  struct StatePlace {
    std::string key;
    std::size_t at;  // offset in lines_
    StateBuilder build;
  };
  std::string format(const Event& event, const std::optional<QRImage>& qr) const;
  void gathered();
  void writeSettled();

  bool json_;
  std::FILE* out_;
  std::shared_ptr<SerialQueue> flushOn_;
  std::string lines_;                                     // formatted events not yet written
  std::vector<StatePlace> states_;  // the last place of each state, in the order of the places
  bool flushPosted_ = false;
};

// The readable form of one event.
std::string readable(const Event& event);

}  // namespace orvane::cli
