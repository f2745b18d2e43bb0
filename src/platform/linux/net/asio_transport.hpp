#pragma once

#include <chrono>
#include <memory>

#include "base/clock.hpp"
#include "platform/linux/net/asio_serial_queue.hpp"
#include "platform/linux/net/service_advertiser.hpp"
#include "wire/transport.hpp"

namespace orvane {

struct AsioTransportOptions {
  // How long an accepted connection may take to finish its TLS handshake.
  Duration handshakeTimeout = std::chrono::seconds(10);
  // How many accepted connections may be in their TLS handshake at once; a new one
  // over this closes the oldest. Each costs a socket and TLS buffers until its time-out.
  std::size_t maxHandshakes = 64;
  // Where the listener's DNS-SD service goes; with none it is only kept.
  std::shared_ptr<ServiceAdvertiser> advertiser;
};

// The network ports on Asio and OpenSSL. Every socket lives on the queue's
// io_context, so every handler runs on that queue. Listeners and connections made
// here must be destroyed before the queue.
class AsioTransport final : public Transport {
 public:
  explicit AsioTransport(AsioSerialQueue& queue, AsioTransportOptions options = {});

  std::shared_ptr<TlsCredentials> makeTlsCredentials(const TlsIdentityMaterial& material) override;
  // Binds and listens at once (IPv6 and IPv4 on one socket where the host has IPv6),
  // so that a port in use is reported here, with the system's description.
  expected<std::unique_ptr<Listener>, std::string> makeListener(std::shared_ptr<TlsCredentials> credentials,
                                                               std::uint16_t port) override;
  std::shared_ptr<Connection> makeTcpConnection(const std::string& host, std::uint16_t port,
                                                std::optional<std::string> bindLocal) override;

 private:
  AsioSerialQueue& queue_;
  AsioTransportOptions options_;
};

}  // namespace orvane
