#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "base/serial_queue.hpp"
#include "wire/transport.hpp"

namespace orvane {

// Delivers one reconnect line to the phone over plain TCP and reports, once, whether
// the line was written before the time-out. Lives on the server's queue.
class NudgeClient : public std::enable_shared_from_this<NudgeClient> {
 public:
  using Done = std::function<void(bool delivered)>;

  NudgeClient(std::shared_ptr<SerialQueue> queue, std::shared_ptr<Transport> transport, Duration timeout)
      : queue_(std::move(queue)), transport_(std::move(transport)), timeout_(timeout) {}
  ~NudgeClient();

  // Connects to host:port (from `bindLocal` when given), writes `line` and closes.
  void send(const std::string& host, std::uint16_t port, const std::string& line,
            const std::optional<std::string>& bindLocal, Done done);
  std::size_t inFlight() const { return attempts_.size(); }

 private:
  struct Attempt {
    std::shared_ptr<Connection> conn;
    DelayedWork timeout;
    Done done;
  };
  void finish(PeerID id, bool delivered);

  std::shared_ptr<SerialQueue> queue_;
  std::shared_ptr<Transport> transport_;
  Duration timeout_;
  std::map<PeerID, Attempt> attempts_;
};

}  // namespace orvane
