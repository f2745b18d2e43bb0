#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>

#include "base/expected.hpp"
#include "nudge_check.hpp"

namespace orvane::phone {

// The phone's plain TCP port for reconnect nudges: every connection may carry one
// line, which is checked and printed as a "nudge" event. Nothing is ever answered.
class NudgeListener : public std::enable_shared_from_this<NudgeListener> {
 public:
  struct Settings {
    std::string bindAddress;  // empty: every address, IPv6 and IPv4
    std::uint16_t port = 17432;
    bool once = false;  // end after the first line
  };

  // Fails when the address is not numeric or cannot be bound.
  static expected<std::shared_ptr<NudgeListener>, std::string> make(asio::io_context& io, Settings settings,
                                                                    NudgeCheck check, std::function<void(int)> finish);

  // Prints the "listening" event, then accepts connections until the process ends.
  void start();

 private:
  NudgeListener(asio::io_context& io, Settings settings, NudgeCheck check, std::function<void(int)> finish);
  expected<void, std::string> open();
  void acceptNext();
  void report(const std::string& line, bool complete, const std::string& from);

  Settings settings_;
  NudgeCheck check_;
  std::function<void(int)> finish_;
  asio::ip::tcp::acceptor acceptor_;
  bool done_ = false;
};

}  // namespace orvane::phone
