#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <asio/io_context.hpp>

#include "base/clock.hpp"
#include "base/expected.hpp"
#include "platform/linux/net/asio_tls_credentials.hpp"
#include "platform/linux/net/service_advertiser.hpp"
#include "wire/transport.hpp"

namespace orvane {

// The TLS listener: a TCP acceptor, bound and listening from creation on, that hands
// every accepted socket over as a TLS connection not yet handshaken (its start()
// runs the handshake). Use it on the server queue; calls from another thread are
// moved there. Destroying it closes the port and silences every handler.
class AsioTlsListener final : public Listener {
 public:
  struct Settings {
    std::shared_ptr<AsioTlsCredentials> credentials;
    std::uint16_t port = 0;
    Duration handshakeTimeout{};
    std::shared_ptr<ServiceAdvertiser> advertiser;  // may be none
    std::size_t maxHandshakes = 64;                  // in progress at once; the oldest makes room
  };

  // Fails with the system's description when the port cannot be bound or listened on.
  static expected<std::unique_ptr<AsioTlsListener>, std::string> open(asio::io_context& context, Settings settings);
  ~AsioTlsListener() override;

  void setStateHandler(StateHandler handler) override;
  void setNewConnectionHandler(ConnectionHandler handler) override;
  void setService(std::optional<DiscoveryService> service) override;
  void start() override;
  void cancel() override;

  // The bound port (the one asked for, or the system's choice for port 0).
  std::uint16_t port() const;

 private:
  class Acceptor;
  explicit AsioTlsListener(std::shared_ptr<Acceptor> acceptor) : acceptor_(std::move(acceptor)) {}
  // Shared with the accept handlers, which may still be queued when this is destroyed.
  std::shared_ptr<Acceptor> acceptor_;
};

}  // namespace orvane
