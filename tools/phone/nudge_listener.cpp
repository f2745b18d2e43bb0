#include "nudge_listener.hpp"


#include <array>
#include <chrono>

#include <asio/ip/v6_only.hpp>
#include <asio/read_until.hpp>
#include <asio/steady_timer.hpp>
#include <asio/streambuf.hpp>

#include "event_line.hpp"
#include "exit_status.hpp"
#include "platform/linux/net/socket_tuning.hpp"

namespace orvane::phone {

namespace {

// A nudge line is about a hundred bytes; anything much longer is not one.
constexpr std::size_t maxLineBytes = 1024;
// A connection that sends nothing is given up after this, so it cannot hold a socket.
constexpr auto lineDeadline = std::chrono::seconds(5);

// One accepted connection, read up to its first line feed.
class LineReader : public std::enable_shared_from_this<LineReader> {
 public:
  using Done = std::function<void(const std::string& line, bool complete, const std::string& from)>;

  LineReader(asio::ip::tcp::socket socket, Done done)
      : socket_(std::move(socket)), timer_(socket_.get_executor()), buffer_(maxLineBytes), done_(std::move(done)) {}

  void start() {
    asio::error_code ec;
    const auto remote = socket_.remote_endpoint(ec);
    if (!ec) {
      auto address = remote.address();
      if (address.is_v6() && address.to_v6().is_v4_mapped()) address = asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6());
      from_ = address.to_string();
    }
    auto self = shared_from_this();
    timer_.expires_after(lineDeadline);
    timer_.async_wait([self](const asio::error_code& ec) {
      asio::error_code ignored;  // the pending read then ends, and the line counts as incomplete
      if (!ec) self->socket_.close(ignored);
    });
    asio::async_read_until(socket_, buffer_, '\n', [self](const asio::error_code& ec, std::size_t length) {
      self->timer_.cancel();
      const auto data = self->buffer_.data();
      const std::string received(asio::buffers_begin(data), asio::buffers_end(data));
      // Without an error, `length` ends just after the first line feed.
      const bool complete = !ec && length > 0;
      const std::string line = complete ? received.substr(0, length - 1) : received;
      asio::error_code ignored;  // nothing is ever sent back; a failed close changes nothing
      self->socket_.close(ignored);
      self->done_(line, complete, self->from_);
    });
  }

 private:
  asio::ip::tcp::socket socket_;
  asio::steady_timer timer_;
  asio::streambuf buffer_;
  Done done_;
  std::string from_;
};

}  // namespace

expected<std::shared_ptr<NudgeListener>, std::string> NudgeListener::make(asio::io_context& io, Settings settings,
                                                                          NudgeCheck check,
                                                                          std::function<void(int)> finish) {
  std::shared_ptr<NudgeListener> listener(new NudgeListener(io, std::move(settings), std::move(check), std::move(finish)));
  if (auto opened = listener->open(); !opened) return unexpected(opened.error());
  return listener;
}

NudgeListener::NudgeListener(asio::io_context& io, Settings settings, NudgeCheck check, std::function<void(int)> finish)
    : settings_(std::move(settings)), check_(std::move(check)), finish_(std::move(finish)), acceptor_(io) {}

expected<void, std::string> NudgeListener::open() {
  asio::error_code ec;
  asio::ip::tcp::endpoint endpoint;
  if (settings_.bindAddress.empty()) {
    endpoint = asio::ip::tcp::endpoint(asio::ip::tcp::v6(), settings_.port);
  } else {
    const auto address = asio::ip::make_address(settings_.bindAddress, ec);
    if (ec) return unexpected("not a numeric address: " + settings_.bindAddress);
    endpoint = asio::ip::tcp::endpoint(address, settings_.port);
  }

  auto tryOpen = [this, &ec](const asio::ip::tcp::endpoint& at) {
    asio::error_code ignored;
    acceptor_.close(ignored);
    acceptor_.open(at.protocol(), ec);
    if (ec) return false;
    acceptor_.set_option(asio::ip::tcp::acceptor::reuse_address(true), ec);
    // Every address means IPv4 too: the computer nudges the dotted quad it last saw.
    if (!ec && at.protocol() == asio::ip::tcp::v6() && settings_.bindAddress.empty())
      acceptor_.set_option(asio::ip::v6_only(false), ec);
    if (!ec) acceptor_.bind(at, ec);
    if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    return !ec;
  };
  if (tryOpen(endpoint)) return {};
  // A machine without IPv6 still has every IPv4 address.
  if (settings_.bindAddress.empty() && tryOpen(asio::ip::tcp::endpoint(asio::ip::tcp::v4(), settings_.port))) return {};
  return unexpected("cannot listen on " + (settings_.bindAddress.empty() ? std::string("*") : settings_.bindAddress) + ":" +
                    std::to_string(settings_.port) + ": " + ec.message());
}

void NudgeListener::start() {
  asio::error_code ec;
  const auto local = acceptor_.local_endpoint(ec);
  printEvent({{"event", "listening"},
              {"port", ec ? settings_.port : local.port()},
              {"bind", settings_.bindAddress.empty() ? std::string("*") : settings_.bindAddress}});
  acceptNext();
}

void NudgeListener::acceptNext() {
  auto self = shared_from_this();
  acceptor_.async_accept([self](const asio::error_code& ec, asio::ip::tcp::socket socket) {
    if (self->done_ || ec == asio::error::operation_aborted) return;
    if (ec) {
      printNote("accepting a nudge connection failed: " + ec.message());
    } else {
      sendFramesAtOnce(socket);
      std::weak_ptr<NudgeListener> weak = self;
      std::make_shared<LineReader>(std::move(socket), [weak](const std::string& line, bool complete, const std::string& from) {
        if (auto listener = weak.lock()) listener->report(line, complete, from);
      })->start();
    }
    self->acceptNext();
  });
}

void NudgeListener::report(const std::string& line, bool complete, const std::string& from) {
  if (done_) return;
  NudgeVerdict verdict;
  if (complete) {
    verdict = check_.verify(line);
  } else {
    verdict.reason = "incomplete";  // closed or timed out before a line feed
  }
  Event event{{"event", "nudge"},
              {"valid", verdict.valid},
              {"deviceID", verdict.deviceID ? Event(*verdict.deviceID) : Event(nullptr)},
              {"stamp", verdict.stamp ? Event(*verdict.stamp) : Event(nullptr)},
              {"from", from}};
  if (!verdict.valid) event["reason"] = verdict.reason;
  event["line"] = line;
  printEvent(event);
  if (settings_.once) {
    done_ = true;
    asio::error_code ignored;
    acceptor_.close(ignored);
    if (finish_) finish_(ExitStatus::ok);
  }
}

}  // namespace orvane::phone
