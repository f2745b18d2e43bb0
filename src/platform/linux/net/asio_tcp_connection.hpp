#pragma once

#include <memory>
#include <optional>
#include <string>

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>

#include "platform/linux/net/asio_stream_connection.hpp"

namespace orvane {

// An outgoing plain TCP connection (the reconnect nudge). start() parses the numeric
// host, binds the local address when one is required (any port), and connects:
// `ready` once connected, `failed` when any step fails. There is no time-out of its
// own; the caller cancels when it stops waiting.
class AsioTcpConnection final : public AsioStreamConnection<asio::ip::tcp::socket> {
 public:
  static std::shared_ptr<AsioTcpConnection> make(asio::io_context& context, std::string host, std::uint16_t port,
                                                 std::optional<std::string> bindLocal);

  void start() override;

 private:
  AsioTcpConnection(asio::io_context& context, std::string host, std::uint16_t port,
                    std::optional<std::string> bindLocal);

  std::string host_;
  std::uint16_t port_;
  std::optional<std::string> bindLocal_;
};

}  // namespace orvane
