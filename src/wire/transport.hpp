#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/bytes.hpp"
#include "base/expected.hpp"

// The network ports the pairing server needs. Implemented in platform/ (Asio +
// OpenSSL on Linux) and by in-memory fakes in tests. Every handler is delivered on
// the server's queue, and never from inside the call that caused it.
namespace orvane {

// Key of one live connection: unique per connection for the life of the process.
using PeerID = std::uint64_t;

struct Endpoint {
  std::string host;  // numeric text: dotted quad for IPv4
  std::uint16_t port = 0;
  bool operator==(const Endpoint&) const = default;
};

enum class ConnectionState { setup, preparing, ready, waiting, failed, cancelled };

// One connection: an accepted TLS connection, or an outgoing plain TCP one.
class Connection {
 public:
  using StateHandler = std::function<void(ConnectionState state, const std::string& error)>;
  // data (possibly empty), stream ended, error text when the receive failed.
  using ReceiveHandler = std::function<void(Bytes data, bool isComplete, std::optional<std::string> error)>;
  using SendCompletion = std::function<void(std::optional<std::string> error)>;

  virtual ~Connection() = default;
  virtual PeerID id() const = 0;
  // Replaces the state handler; an empty function removes it.
  virtual void setStateHandler(StateHandler handler) = 0;
  // Begins the connection (TLS handshake or TCP connect); `ready` follows on success.
  virtual void start() = 0;
  // Asks for the next chunk of 1 to `maximumLength` bytes.
  virtual void receive(std::size_t maximumLength, ReceiveHandler handler) = 0;
  // Hands one complete message to the connection; sends are written in call order.
  virtual void send(Bytes content, SendCompletion completion) = 0;
  // Closes at once; `cancelled` is reported afterwards (once).
  virtual void cancel() = 0;
  virtual std::optional<Endpoint> remoteEndpoint() const = 0;
  virtual std::optional<Endpoint> localEndpoint() const = 0;
};

enum class ListenerState { setup, ready, failed, cancelled };

// A DNS-SD advertisement: service name, type, and the raw TXT record bytes.
struct DiscoveryService {
  std::string name;
  std::string type;
  Bytes txtRecord;
  bool operator==(const DiscoveryService&) const = default;
};

class Listener {
 public:
  using StateHandler = std::function<void(ListenerState state, const std::string& error)>;
  using ConnectionHandler = std::function<void(std::shared_ptr<Connection>)>;
  virtual ~Listener() = default;
  virtual void setStateHandler(StateHandler handler) = 0;
  virtual void setNewConnectionHandler(ConnectionHandler handler) = 0;
  // Replaces the advertised service; none withdraws it.
  virtual void setService(std::optional<DiscoveryService> service) = 0;
  virtual void start() = 0;
  virtual void cancel() = 0;
};

// The server's TLS credentials as the transport needs them (opaque to the core).
class TlsCredentials {
 public:
  virtual ~TlsCredentials() = default;
};

// Certificate DER and PKCS#8 private key DER of the server identity.
struct TlsIdentityMaterial {
  Bytes certDER;
  Bytes privateKeyPkcs8;
};

class Transport {
 public:
  virtual ~Transport() = default;
  // Joins certificate and key for the TLS layer; none when they cannot be used together.
  virtual std::shared_ptr<TlsCredentials> makeTlsCredentials(const TlsIdentityMaterial& material) = 0;
  // A TLS (minimum 1.2, no client certificate) listener on `port` with address reuse;
  // the error is the platform's description.
  virtual expected<std::unique_ptr<Listener>, std::string> makeListener(std::shared_ptr<TlsCredentials> credentials,
                                                                       std::uint16_t port) = 0;
  // A plain TCP connection to host:port, optionally bound to a local address (any port).
  virtual std::shared_ptr<Connection> makeTcpConnection(const std::string& host, std::uint16_t port,
                                                        std::optional<std::string> bindLocal) = 0;
};

}  // namespace orvane
