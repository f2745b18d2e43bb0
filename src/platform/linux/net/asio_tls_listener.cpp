#include "platform/linux/net/asio_tls_listener.hpp"

#include <algorithm>
#include <deque>

#include <cerrno>
#include <chrono>

#include <asio/dispatch.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/ip/v6_only.hpp>
#include <asio/post.hpp>
#include <asio/steady_timer.hpp>

#include "platform/linux/net/asio_tls_connection.hpp"
#include "platform/linux/net/socket_tuning.hpp"

namespace orvane {

namespace {

using asio::ip::tcp;

// Running out of descriptors or memory is not the listener's fault: connections that
// close give them back. Accepting again at once would only spin, so wait a little.
constexpr auto kExhaustedRetryDelay = std::chrono::milliseconds(100);

bool isExhaustion(const asio::error_code& ec) {
  return ec == asio::error::no_descriptors || ec == asio::error::no_buffer_space || ec == asio::error::no_memory ||
         (ec.category() == asio::system_category() && ec.value() == ENFILE);
}

// Errors that belong to the one connection being accepted (it was aborted, or its
// network went away before accept returned); the listener itself is fine.
bool belongsToConnection(const asio::error_code& ec) {
  if (ec == asio::error::connection_aborted) return true;
  if (ec.category() != asio::system_category()) return false;
  switch (ec.value()) {
    case EPROTO:
    case ENOPROTOOPT:
    case EHOSTDOWN:
    case ENONET:
    case EHOSTUNREACH:
    case EOPNOTSUPP:
    case ENETDOWN:
    case ENETUNREACH:
      return true;
    default:
      return false;
  }
}

asio::error_code listenOn(tcp::acceptor& acceptor, const tcp& protocol, std::uint16_t port) {
  asio::error_code ec;
  acceptor.open(protocol, ec);
  if (ec) return ec;
  // One IPv6 socket that also takes IPv4 peers (as mapped addresses): the phone may
  // reach us either way once the service is advertised on both.
  if (protocol == tcp::v6()) acceptor.set_option(asio::ip::v6_only(false), ec);
  if (!ec) acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor.bind(tcp::endpoint(protocol, port), ec);
  if (!ec) acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    asio::error_code ignored;
    acceptor.close(ignored);
  }
  return ec;
}

}  // namespace

class AsioTlsListener::Acceptor : public std::enable_shared_from_this<Acceptor> {
 public:
  Acceptor(tcp::acceptor acceptor, Settings settings, std::uint16_t port)
      : settings_(std::move(settings)),
        port_(port),
        acceptor_(std::move(acceptor)),
        retryTimer_(acceptor_.get_executor()) {}

  std::uint16_t port() const { return port_; }

  template <class F>
  void onQueue(F work) {
    asio::dispatch(acceptor_.get_executor(), [self = shared_from_this(), work = std::move(work)]() mutable { work(); });
  }

  void setStateHandler(StateHandler handler) {
    if (!stateDone_) stateHandler_ = std::move(handler);
  }
  void setNewConnectionHandler(ConnectionHandler handler) {
    if (!stateDone_) connectionHandler_ = std::move(handler);
  }

  void setService(std::optional<DiscoveryService> service) {
    service_ = std::move(service);
    // Published only while listening: start() publishes what was set before it.
    if (phase_ == Phase::listening) publish(service_);
  }

  void start() {
    if (phase_ != Phase::idle) return;
    phase_ = Phase::listening;
    report(ListenerState::ready, {});
    if (service_) publish(service_);
    acceptNext();
  }

  void cancel() {
    if (phase_ == Phase::closed) return;
    close();
    report(ListenerState::cancelled, {});
  }

  // The owner is gone: close, and call nothing any more.
  void silence() {
    stateDone_ = true;
    stateHandler_ = nullptr;
    connectionHandler_ = nullptr;
    close();
  }

 private:
  enum class Phase { idle, listening, closed };
  std::deque<std::weak_ptr<AsioTlsConnection>> handshaking_;

  void acceptNext() {
    acceptor_.async_accept([this, self = shared_from_this()](const asio::error_code& ec, tcp::socket socket) {
      if (phase_ != Phase::listening) return;  // closed meanwhile; the socket closes with it
      if (ec) return onAcceptError(ec);
      sendFramesAtOnce(socket);
      auto connection = AsioTlsConnection::make(std::move(socket), settings_.credentials, settings_.handshakeTimeout);
      if (connection) makeRoomForHandshake(connection);
      // Without a handler, or without a TLS session, the connection is dropped (closed).
      if (connection && connectionHandler_) {
        ConnectionHandler handler = connectionHandler_;
        handler(std::move(connection));
      }
      if (phase_ == Phase::listening) acceptNext();  // the handler may have cancelled us
    });
  }

  // Connections that never finish their handshake are held until its time-out; without
  // a bound, one peer opening them in a loop would take every descriptor and keep the
  // phone out. The oldest makes room, so a newcomer (the phone reconnecting) goes on.
  void makeRoomForHandshake(const std::shared_ptr<AsioTlsConnection>& connection) {
    std::erase_if(handshaking_, [](const std::weak_ptr<AsioTlsConnection>& weak) {
      auto c = weak.lock();
      return !c || !c->isStarting();
    });
    while (!handshaking_.empty() && handshaking_.size() >= std::max<std::size_t>(settings_.maxHandshakes, 1)) {
      if (auto oldest = handshaking_.front().lock()) oldest->cancel();
      handshaking_.pop_front();
    }
    handshaking_.push_back(connection);
  }

  void onAcceptError(const asio::error_code& ec) {
    if (belongsToConnection(ec)) return acceptNext();
    if (isExhaustion(ec)) {
      retryTimer_.expires_after(kExhaustedRetryDelay);
      retryTimer_.async_wait([this, self = shared_from_this()](const asio::error_code& timerError) {
        // Aborted only by close(); then there is nothing to accept any more.
        if (!timerError && phase_ == Phase::listening) acceptNext();
      });
      return;
    }
    // Anything else means the listening socket itself is broken: report it once and
    // give the port back, so that a restart can listen again.
    close();
    report(ListenerState::failed, ec.message());
  }

  void close() {
    if (phase_ == Phase::closed) return;
    phase_ = Phase::closed;
    asio::error_code ignored;  // a failed close leaves nothing more to do
    acceptor_.close(ignored);
    retryTimer_.cancel();
    if (published_) publish(std::nullopt);
  }

  void publish(const std::optional<DiscoveryService>& service) {
    published_ = service.has_value();
    if (settings_.advertiser) settings_.advertiser->advertise(service, port_);
  }

  // Always posted: a state is never reported from inside the call that caused it.
  void report(ListenerState state, std::string error) {
    const bool last = state == ListenerState::failed || state == ListenerState::cancelled;
    asio::post(acceptor_.get_executor(), [this, self = shared_from_this(), state, last, error = std::move(error)] {
      if (stateDone_) return;
      StateHandler handler = stateHandler_;
      if (last) {
        stateDone_ = true;
        stateHandler_ = nullptr;
        connectionHandler_ = nullptr;
      }
      if (handler) handler(state, error);
    });
  }

  Settings settings_;
  std::uint16_t port_;
  tcp::acceptor acceptor_;
  asio::steady_timer retryTimer_;
  Phase phase_ = Phase::idle;
  StateHandler stateHandler_;
  ConnectionHandler connectionHandler_;
  bool stateDone_ = false;
  std::optional<DiscoveryService> service_;
  bool published_ = false;
};

expected<std::unique_ptr<AsioTlsListener>, std::string> AsioTlsListener::open(asio::io_context& context,
                                                                             Settings settings) {
  if (!settings.credentials) return unexpected(std::string("No usable TLS credentials"));
  tcp::acceptor acceptor(context);
  asio::error_code ec = listenOn(acceptor, tcp::v6(), settings.port);
  // A port in use is in use for IPv4 as well; anything else (no IPv6 on this host)
  // leaves IPv4 to try.
  if (ec && ec != asio::error::address_in_use) ec = listenOn(acceptor, tcp::v4(), settings.port);
  if (ec) return unexpected(ec.message());
  const std::uint16_t port = acceptor.local_endpoint(ec).port();
  if (ec) return unexpected(ec.message());
  auto shared = std::make_shared<Acceptor>(std::move(acceptor), std::move(settings), port);
  return std::unique_ptr<AsioTlsListener>(new AsioTlsListener(std::move(shared)));
}

AsioTlsListener::~AsioTlsListener() {
  acceptor_->onQueue([acceptor = acceptor_.get()] { acceptor->silence(); });
}

void AsioTlsListener::setStateHandler(StateHandler handler) {
  acceptor_->onQueue([acceptor = acceptor_.get(), handler = std::move(handler)]() mutable {
    acceptor->setStateHandler(std::move(handler));
  });
}

void AsioTlsListener::setNewConnectionHandler(ConnectionHandler handler) {
  acceptor_->onQueue([acceptor = acceptor_.get(), handler = std::move(handler)]() mutable {
    acceptor->setNewConnectionHandler(std::move(handler));
  });
}

void AsioTlsListener::setService(std::optional<DiscoveryService> service) {
  acceptor_->onQueue([acceptor = acceptor_.get(), service = std::move(service)]() mutable {
    acceptor->setService(std::move(service));
  });
}

void AsioTlsListener::start() {
  acceptor_->onQueue([acceptor = acceptor_.get()] { acceptor->start(); });
}

void AsioTlsListener::cancel() {
  acceptor_->onQueue([acceptor = acceptor_.get()] { acceptor->cancel(); });
}

std::uint16_t AsioTlsListener::port() const { return acceptor_->port(); }

}  // namespace orvane
