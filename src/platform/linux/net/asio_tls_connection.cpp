#include "platform/linux/net/asio_tls_connection.hpp"

#include <asio/ssl/error.hpp>

namespace orvane {

std::shared_ptr<AsioTlsConnection> AsioTlsConnection::make(asio::ip::tcp::socket socket,
                                                           std::shared_ptr<AsioTlsCredentials> credentials,
                                                           Duration handshakeTimeout) {
  try {
    return std::shared_ptr<AsioTlsConnection>(
        new AsioTlsConnection(std::move(socket), std::move(credentials), handshakeTimeout));
  } catch (const std::exception&) {
    // Asio reports a failed SSL_new by throwing; the moved-in socket is closed by now.
    return nullptr;
  }
}

AsioTlsConnection::AsioTlsConnection(asio::ip::tcp::socket socket, std::shared_ptr<AsioTlsCredentials> credentials,
                                     Duration handshakeTimeout)
    : AsioStreamConnection(std::move(socket), credentials->context()),
      credentials_(std::move(credentials)),
      handshakeTimeout_(handshakeTimeout),
      handshakeTimer_(stream_.get_executor()) {
  // Both ends are known from the accept on; a connection that fails its handshake
  // can still be told apart by its peer.
  recordEndpoints();
}

void AsioTlsConnection::start() {
  onExecutor([this] {
    if (phase_ != Phase::idle) return;
    phase_ = Phase::starting;
    auto self = shared_from_this();
    handshakeTimer_.expires_after(handshakeTimeout_);
    handshakeTimer_.async_wait([this, self](const asio::error_code& ec) {
      // Aborted when the handshake ended or the connection closed first.
      if (ec || phase_ != Phase::starting) return;
      finish(ConnectionState::failed, "TLS handshake timed out");
    });
    stream_.async_handshake(asio::ssl::stream_base::server, [this, self](const asio::error_code& ec) {
      if (phase_ != Phase::starting) return;  // timed out or cancelled meanwhile
      if (ec) {
        finish(ConnectionState::failed, ec.message());
        return;
      }
      handshakeTimer_.cancel();
      becomeReady();
    });
  });
}

// A peer that closes without close_notify truncates the stream; to the receive loop
// that is the end of the stream all the same.
bool AsioTlsConnection::isEndOfStream(const asio::error_code& ec) const {
  return ec == asio::error::eof || ec == asio::ssl::error::stream_truncated;
}

}  // namespace orvane
