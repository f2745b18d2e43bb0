#include "platform/linux/net/asio_transport.hpp"

#include "platform/linux/net/asio_tcp_connection.hpp"
#include "platform/linux/net/asio_tls_credentials.hpp"
#include "platform/linux/net/asio_tls_listener.hpp"

namespace orvane {

AsioTransport::AsioTransport(AsioSerialQueue& queue, AsioTransportOptions options)
    : queue_(queue), options_(std::move(options)) {}

std::shared_ptr<TlsCredentials> AsioTransport::makeTlsCredentials(const TlsIdentityMaterial& material) {
  return AsioTlsCredentials::make(material);
}

expected<std::unique_ptr<Listener>, std::string> AsioTransport::makeListener(
    std::shared_ptr<TlsCredentials> credentials, std::uint16_t port) {
  auto listener = AsioTlsListener::open(
      queue_.context(), AsioTlsListener::Settings{std::dynamic_pointer_cast<AsioTlsCredentials>(credentials), port,
                                                  options_.handshakeTimeout, options_.advertiser,
                                                  options_.maxHandshakes});
  if (!listener) return unexpected(std::move(listener.error()));
  return std::unique_ptr<Listener>(std::move(*listener));
}

std::shared_ptr<Connection> AsioTransport::makeTcpConnection(const std::string& host, std::uint16_t port,
                                                             std::optional<std::string> bindLocal) {
  return AsioTcpConnection::make(queue_.context(), host, port, std::move(bindLocal));
}

}  // namespace orvane
