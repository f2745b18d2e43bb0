#pragma once

#include <memory>

#include <asio/ip/tcp.hpp>
#include <asio/ssl/stream.hpp>
#include <asio/steady_timer.hpp>

#include "base/clock.hpp"
#include "platform/linux/net/asio_stream_connection.hpp"
#include "platform/linux/net/asio_tls_credentials.hpp"

namespace orvane {

// One accepted connection, TLS on top of the accepted socket. start() runs the
// server handshake: `ready` when it succeeds, `failed` when it fails or does not end
// within the handshake time-out (a client that connects and stays silent would
// otherwise hold its socket forever).
class AsioTlsConnection final : public AsioStreamConnection<asio::ssl::stream<asio::ip::tcp::socket>> {
 public:
  // None when OpenSSL cannot make a session for it (the socket is then closed).
  static std::shared_ptr<AsioTlsConnection> make(asio::ip::tcp::socket socket,
                                                 std::shared_ptr<AsioTlsCredentials> credentials,
                                                 Duration handshakeTimeout);

  void start() override;

 private:
  AsioTlsConnection(asio::ip::tcp::socket socket, std::shared_ptr<AsioTlsCredentials> credentials,
                    Duration handshakeTimeout);

  bool isEndOfStream(const asio::error_code& ec) const override;
  void onClose() override { handshakeTimer_.cancel(); }

  std::shared_ptr<AsioTlsCredentials> credentials_;  // the SSL session's context lives as long as it
  Duration handshakeTimeout_;
  asio::steady_timer handshakeTimer_;
};

}  // namespace orvane
