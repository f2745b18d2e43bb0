// Round trip of one 300-byte frame over loopback TLS: an OpenSSL client writes it and
// waits for it to come back from an AsioTransport connection that echoes every chunk
// it receives. This is the floor under every request/answer exchange with the phone.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <map>
#include <thread>
#include <vector>

#include "platform/linux/net/asio_serial_queue.hpp"
#include "platform/linux/net/asio_tls_listener.hpp"
#include "platform/linux/net/asio_transport.hpp"
#include "pairing/keychain.hpp"
#include "pairing/pairing_store.hpp"
#include "pairing/tls_identity_manager.hpp"
#include "wire/envelope.hpp"
#include "wire/framing.hpp"
#include "server/pairing_server.hpp"
#include "test_identity.hpp"
#include "real_server.hpp"
#include "tls_client.hpp"

namespace {

using namespace orvane;

constexpr std::size_t kFrameSize = 300;

// The server half, on the server queue and driven only through the Connection
// interface, as the pairing server drives it.
class EchoServer {
 public:
  ~EchoServer() {
    run([this] {
      listener_.reset();
      connections_.clear();
    });
    queue_.stop();
  }

  // Listens on a port of the system's choosing, so that a running Orvane on 17431
  // does not get in the way; returns that port.
  expected<std::uint16_t, std::string> start() {
    const auto identity = bench::makeTestIdentity();
    if (!identity) return unexpected(std::string("no test identity"));
    auto credentials = transport_.makeTlsCredentials(*identity);
    if (!credentials) return unexpected(std::string("credentials refused"));
    return run([&]() -> expected<std::uint16_t, std::string> {
      auto listener = transport_.makeListener(credentials, 0);
      if (!listener) return unexpected(listener.error());
      listener_ = std::move(*listener);
      listener_->setNewConnectionHandler([this](std::shared_ptr<Connection> connection) { accept(connection); });
      listener_->start();
      return static_cast<AsioTlsListener&>(*listener_).port();
    });
  }

 private:
  template <class F>
  auto run(F work) -> decltype(work()) {
    std::packaged_task<decltype(work())()> task(std::move(work));
    auto result = task.get_future();
    queue_.post([&task] { task(); });
    return result.get();
  }

  void accept(const std::shared_ptr<Connection>& connection) {
    std::weak_ptr<Connection> weak = connection;
    connection->setStateHandler([this, weak](ConnectionState state, const std::string&) {
      auto live = weak.lock();
      if (!live) return;
      if (state == ConnectionState::ready) {
        connections_[live->id()] = live;
        echo(live);
      } else if (state == ConnectionState::failed || state == ConnectionState::cancelled) {
        connections_.erase(live->id());
      }
    });
    connection->start();
  }

  void echo(const std::shared_ptr<Connection>& connection) {
    connection->receive(65536, [this, connection](Bytes data, bool isComplete, std::optional<std::string> error) {
      if (!data.empty()) connection->send(std::move(data), {});
      if (!isComplete && !error) echo(connection);
    });
  }

  AsioSerialQueue queue_{"zel.pairing-server"};
  AsioTransport transport_{queue_};
  std::unique_ptr<Listener> listener_;
  std::map<PeerID, std::shared_ptr<Connection>> connections_;
};

using bench::percentile;

void BM_TlsEchoRoundTrip(benchmark::State& state) {
  EchoServer server;
  const auto port = server.start();
  if (!port) {
    state.SkipWithError(("listener: " + port.error()).c_str());
    return;
  }
  auto client = bench::TlsClient::connect("127.0.0.1", *port);
  if (!client) {
    state.SkipWithError(client.error().c_str());
    return;
  }

  const Bytes frame(kFrameSize, 0x5a);
  std::vector<double> micros;
  micros.reserve(1 << 16);
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    if (!client->writeAll(frame) || !client->readExact(kFrameSize)) {
      state.SkipWithError("the echo did not come back");
      break;
    }
    micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin).count());
  }

  std::sort(micros.begin(), micros.end());
  state.counters["p50_us"] = percentile(micros, 0.50);
  state.counters["p99_us"] = percentile(micros, 0.99);
  state.counters["round_trips/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 2 * kFrameSize));
}

// Real time: the client thread spends the round trip blocked, not on the CPU.
BENCHMARK(BM_TlsEchoRoundTrip)->UseRealTime();

}  // namespace

namespace {

// The real pairing server (bench/real_server.hpp): a `ping` from the client is answered
// with a `pong` by the full receive loop, router and sender.
void BM_ServerPingPong(benchmark::State& state) {
  bench::RealServer server;
  auto client = bench::connectToServer();
  if (!client) {
    state.SkipWithError(("connect to 17431 (is another Orvane running?): " + client.error()).c_str());
    return;
  }
  const Bytes ping = *Framing::encode(Envelope::make("ping").encode());
  std::vector<double> micros;
  micros.reserve(1 << 16);
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    auto header = client->writeAll(ping) ? client->readExact(4) : std::nullopt;
    if (!header) {
      state.SkipWithError("no pong");
      break;
    }
    const std::size_t length = (std::size_t{(*header)[0]} << 24) | (std::size_t{(*header)[1]} << 16) |
                               (std::size_t{(*header)[2]} << 8) | std::size_t{(*header)[3]};
    auto payload = client->readExact(length);
    if (!payload) {
      state.SkipWithError("pong cut short");
      break;
    }
    micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin).count());
    benchmark::DoNotOptimize(payload);
  }
  std::sort(micros.begin(), micros.end());
  state.counters["p50_us"] = percentile(micros, 0.50);
  state.counters["p99_us"] = percentile(micros, 0.99);
  state.counters["round_trips/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ServerPingPong)->UseRealTime();

}  // namespace
