// The real server's round trips over loopback TLS, each beside the same exchange with a
// bare TLS echo on the same transport, the floor under every request and answer:
//
// - ping/pong: one `ping` frame at a time, against the echo of the very same bytes;
// - message/ack: an authenticated phone's `message` and the server's `ack`, a real
//   route through the session, against the echo of the same `message` frame;
// - pipelined: 32 frames in flight on one link, pings against the echo.
//
// Each comparison runs in rounds, alternately the echo and the server (echo, server,
// echo, server, ...), so that a slower moment of the machine does not fall on one side
// only. Reported: the median of the rounds' ratios with their minimum and maximum, and
// the median figures of each side. Figures only; nothing passes or fails here.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <map>
#include <optional>
#include <string>
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

  AsioSerialQueue queue_{"bench.echo"};
  AsioTransport transport_{queue_};
  std::unique_ptr<Listener> listener_;
  std::map<PeerID, std::shared_ptr<Connection>> connections_;
};

using bench::percentile;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 5;
constexpr int kRoundTrips = 3000;      // per round and side
constexpr int kPipelined = 20000;      // frames per pipelined round and side
constexpr std::size_t kInFlight = 32;

double micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return percentile(values, 0.5);
}

std::size_t frameLength(const Bytes& header) {
  return (std::size_t{header[0]} << 24) | (std::size_t{header[1]} << 16) | (std::size_t{header[2]} << 8) |
         std::size_t{header[3]};
}

// One framed reply of the server; false when it does not come.
bool readFrame(bench::TlsClient& client) {
  const auto header = client.readExact(Framing::headerSize);
  return header && client.readExact(frameLength(*header));
}

// How one side answers: the echo sends back exactly what it got; the server a frame.
struct Side {
  bench::TlsClient* client;
  bool framed;
  std::size_t echoLength;  // the bytes the echo returns for one request
  bool awaitReply() { return framed ? readFrame(*client) : client->readExact(echoLength).has_value(); }
};

// p50 in microseconds of `count` sequential round trips, each request taken in turn
// from `requests`; none when an answer does not come.
std::optional<double> sequentialP50(Side side, const std::vector<Bytes>& requests, int count) {
  std::vector<double> times;
  times.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const Bytes& request = requests[static_cast<std::size_t>(i) % requests.size()];
    const auto begin = Clock::now();
    if (!side.client->writeAll(request) || !side.awaitReply()) return std::nullopt;
    times.push_back(micros(Clock::now() - begin));
  }
  std::sort(times.begin(), times.end());
  return percentile(times, 0.5);
}

// Round trips per second with `kInFlight` requests always outstanding.
std::optional<double> pipelinedRate(Side side, const Bytes& request, int count) {
  const auto begin = Clock::now();
  std::size_t sent = 0;
  for (; sent < kInFlight; ++sent) {
    if (!side.client->writeAll(request)) return std::nullopt;
  }
  for (int answered = 0; answered < count; ++answered) {
    if (!side.awaitReply()) return std::nullopt;
    if (sent < static_cast<std::size_t>(count)) {
      if (!side.client->writeAll(request)) return std::nullopt;
      ++sent;
    }
  }
  return count / std::chrono::duration<double>(Clock::now() - begin).count();
}

// Everything both sides need: the echo, the real server with the bench phone paired,
// and a client of each.
struct Sides {
  bench::TempFolder folder;
  EchoServer echo;
  std::unique_ptr<bench::RealServer> server;
  std::optional<bench::TlsClient> echoClient;
  std::optional<bench::TlsClient> serverClient;

  std::optional<std::string> open(bool authenticated) {
    if (folder.path.empty()) return "no temporary folder";
    const auto port = echo.start();
    if (!port) return "echo listener: " + port.error();
    auto client = bench::TlsClient::connect("127.0.0.1", *port);
    if (!client) return "echo: " + client.error();
    echoClient.emplace(std::move(*client));
    server = std::make_unique<bench::RealServer>(folder.path / "Orvane", bench::benchPairedDevice());
    if (!server->stored()) return "the bench phone could not be stored";
    auto phone = authenticated ? bench::authenticatedPhone() : bench::connectToServer();
    if (!phone) return "server on 17431 (is another Orvane running?): " + phone.error();
    serverClient.emplace(std::move(*phone));
    return std::nullopt;
  }
};

// Ratios of rounds run alternately: `measure(true)` on the server side, `(false)` on
// the echo's; reported as counters named after `what`.
template <class Measure>
bool interleave(benchmark::State& state, const std::string& what, Measure measure) {
  std::vector<double> echoFigures, serverFigures, ratios;
  for (int round = 0; round < kRounds; ++round) {
    const auto echoFigure = measure(false);
    const auto serverFigure = measure(true);
    if (!echoFigure || !serverFigure) {
      state.SkipWithError((what + ": an answer did not come").c_str());
      return false;
    }
    echoFigures.push_back(*echoFigure);
    serverFigures.push_back(*serverFigure);
    ratios.push_back(*serverFigure / *echoFigure);
  }
  state.counters[what + "_echo"] = median(echoFigures);
  state.counters[what + "_server"] = median(serverFigures);
  state.counters[what + "_ratio"] = median(ratios);
  state.counters[what + "_ratio_min"] = *std::min_element(ratios.begin(), ratios.end());
  state.counters[what + "_ratio_max"] = *std::max_element(ratios.begin(), ratios.end());
  return true;
}

Bytes frameOf(const Envelope& envelope) { return *Framing::encode(envelope.encode()); }

// Opens both sides, warms each up with `warmUp`, then runs `measure` on them in
// interleaved rounds; `echoLength` is what the echo returns for one request.
template <class WarmUp, class Measure>
void besideEcho(benchmark::State& state, bool authenticated, std::size_t echoLength, const std::string& what,
                WarmUp warmUp, Measure measure) {
  Sides sides;
  if (auto failed = sides.open(authenticated)) {
    state.SkipWithError(failed->c_str());
    return;
  }
  for (auto _ : state) {
    Side echo{&*sides.echoClient, false, echoLength}, server{&*sides.serverClient, true, 0};
    if (!warmUp(echo) || !warmUp(server)) {
      state.SkipWithError("warm-up: an answer did not come");
      return;
    }
    interleave(state, what, [&](bool onServer) { return measure(onServer ? server : echo); });
  }
}

// ping/pong p50 (µs) against the echo of the same frame.
void BM_PingPongBesideEcho(benchmark::State& state) {
  const Bytes ping = frameOf(Envelope::make("ping"));
  besideEcho(
      state, false, ping.size(), "p50_us", [&](Side side) { return sequentialP50(side, {ping}, 500); },
      [&](Side side) { return sequentialP50(side, {ping}, kRoundTrips); });
}
BENCHMARK(BM_PingPongBesideEcho)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// An authenticated `message` and its `ack`, p50 (µs), against the echo of the same
// frame. Every message has an id of its own, as a phone's would.
void BM_MessageAckBesideEcho(benchmark::State& state) {
  std::vector<Bytes> messages;
  for (int i = 0; i < kRoundTrips; ++i) messages.push_back(frameOf(Envelope::make("message", {{"text", "On my way"}})));
  besideEcho(
      state, true, messages.front().size(), "p50_us", [&](Side side) { return sequentialP50(side, messages, 500); },
      [&](Side side) { return sequentialP50(side, messages, kRoundTrips); });
}
BENCHMARK(BM_MessageAckBesideEcho)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// Round trips per second with 32 pings in flight on one link, against the echo.
void BM_PipelinedBesideEcho(benchmark::State& state) {
  const Bytes ping = frameOf(Envelope::make("ping"));
  besideEcho(
      state, false, ping.size(), "round_trips_per_s", [&](Side side) { return pipelinedRate(side, ping, 2000); },
      [&](Side side) { return pipelinedRate(side, ping, kPipelined); });
}
BENCHMARK(BM_PipelinedBesideEcho)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
