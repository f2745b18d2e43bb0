#include "platform/linux/net/asio_tcp_connection.hpp"

#include "platform/linux/net/socket_tuning.hpp"

namespace orvane {

std::shared_ptr<AsioTcpConnection> AsioTcpConnection::make(asio::io_context& context, std::string host,
                                                           std::uint16_t port, std::optional<std::string> bindLocal) {
  return std::shared_ptr<AsioTcpConnection>(
      new AsioTcpConnection(context, std::move(host), port, std::move(bindLocal)));
}

AsioTcpConnection::AsioTcpConnection(asio::io_context& context, std::string host, std::uint16_t port,
                                     std::optional<std::string> bindLocal)
    : AsioStreamConnection(context), host_(std::move(host)), port_(port), bindLocal_(std::move(bindLocal)) {}

void AsioTcpConnection::start() {
  onExecutor([this] {
    if (phase_ != Phase::idle) return;
    phase_ = Phase::starting;
    asio::error_code ec;
    const asio::ip::address remote = asio::ip::make_address(host_, ec);
    if (ec) return finish(ConnectionState::failed, "Not a numeric address: " + host_);
    stream_.open(remote.is_v4() ? asio::ip::tcp::v4() : asio::ip::tcp::v6(), ec);
    if (ec) return finish(ConnectionState::failed, ec.message());
    sendFramesAtOnce(stream_);
    if (bindLocal_ && !bindLocal_->empty()) {
      const asio::ip::address local = asio::ip::make_address(*bindLocal_, ec);
      if (ec) return finish(ConnectionState::failed, "Not a numeric address: " + *bindLocal_);
      stream_.bind(asio::ip::tcp::endpoint(local, 0), ec);
      if (ec) return finish(ConnectionState::failed, ec.message());
    }
    stream_.async_connect(asio::ip::tcp::endpoint(remote, port_),
                          [this, self = shared_from_this()](const asio::error_code& connectError) {
                            if (phase_ != Phase::starting) return;  // cancelled meanwhile
                            if (connectError) return finish(ConnectionState::failed, connectError.message());
                            becomeReady();
                          });
  });
}

}  // namespace orvane
