// The real server under a crowd, over loopback TLS: its resident memory when idle and
// after 1000 connections that complete TLS and then say nothing (only a bounded number
// may wait unauthenticated), how many of them it still holds, and what holding them
// costs the paired phone's ping round trip, beside the same round trip with the phone
// alone; then the same number of connections that never start TLS. Figures only, as
// counters; nothing here passes or fails on a number.
//
// The server runs in a process of its own (this program started again), so that the
// memory measured is the server's and not also that of the thousand clients.

#include <benchmark/benchmark.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "real_server.hpp"
#include "tls_client.hpp"

namespace {

using namespace orvane;
using Stopwatch = std::chrono::steady_clock;

constexpr int kCrowd = 1000;
constexpr int kRoundTrips = 2000;
// The phone keeps speaking while the crowd arrives, as a live phone would, so that
// nothing but the crowd differs between the two round-trip measurements.
constexpr int kPhonePingEvery = 100;

// What the server process holds, as it answers the benchmark over the control socket.
struct ServerReport {
  std::uint64_t peers = 0;  // connections that reached the ready state, the phone's included
  std::uint8_t authed = 0;  // a session is authenticated
  std::uint8_t running = 0;
  std::uint8_t stored = 0;  // the paired phone was stored before the start
};

constexpr std::string_view kServeFlag = "--serve-for-benchmark";

// The server's own process: a fresh image of this program (so that none of the
// benchmark's memory is counted as the server's), answering 'd' on the control socket
// with a report until the socket closes.
int serveForBenchmark(int control, const std::filesystem::path& appSupport) {
  bench::RealServer server(appSupport, bench::benchPairedDevice());
  char command = 0;
  while (::read(control, &command, 1) == 1 && command == 'd') {
    const auto d = server.diagnostics();
    const ServerReport report{d.peerCount, d.authedPeerID.has_value(), d.running, server.stored().has_value()};
    if (::write(control, &report, sizeof report) != static_cast<ssize_t>(sizeof report)) break;
  }
  return 0;
}

class ServerProcess {
 public:
  static expected<std::unique_ptr<ServerProcess>, std::string> start(const std::filesystem::path& appSupport) {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) return unexpected(std::string("socketpair"));
    ::fcntl(pair[0], F_SETFD, FD_CLOEXEC);  // only the server's end crosses exec
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) return unexpected(std::string("fork"));
    if (pid == 0) {
      // A server left behind by a benchmark that died would hold the port.
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (::getppid() != parent) ::_exit(1);
      const std::string control = std::to_string(pair[1]);
      ::execl("/proc/self/exe", "load_bench", kServeFlag.data(), control.c_str(), appSupport.c_str(), nullptr);
      ::_exit(127);
    }
    ::close(pair[1]);
    return std::unique_ptr<ServerProcess>(new ServerProcess(pid, pair[0]));
  }

  ~ServerProcess() {
    ::close(control_);  // the child shuts the server down and leaves
    for (int i = 0; i < 100; ++i) {
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }

  std::optional<ServerReport> report() {
    const char command = 'd';
    ServerReport report;
    if (::write(control_, &command, 1) != 1) return std::nullopt;
    if (::recv(control_, &report, sizeof report, MSG_WAITALL) != static_cast<ssize_t>(sizeof report)) return std::nullopt;
    return report;
  }

  // A field of /proc/PID/status in KiB ("VmRSS"); 0 when absent.
  double statusKiB(const std::string& field) const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind(field + ":", 0) == 0) return std::strtod(line.c_str() + field.size() + 1, nullptr);
    }
    return 0;
  }
  double rssMiB() const { return statusKiB("VmRSS") / 1024.0; }
  // Descriptors the server process holds open.
  double openDescriptors() const {
    std::error_code ec;
    const auto entries = std::filesystem::directory_iterator("/proc/" + std::to_string(pid_) + "/fd", ec);
    return ec ? -1 : static_cast<double>(std::distance(std::filesystem::begin(entries), std::filesystem::end(entries)));
  }

 private:
  ServerProcess(pid_t pid, int control) : pid_(pid), control_(control) {}
  pid_t pid_;
  int control_;
};

// The crowd needs a descriptor per client on top of what the process already has.
void raiseDescriptorLimit(rlim_t wanted) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= wanted) return;
  limit.rlim_cur = std::min(wanted, limit.rlim_max);
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

bool portInUse() {
  auto fd = bench::connectTcp("127.0.0.1", PairingServer::port, std::chrono::milliseconds(1000));
  if (!fd) return false;
  ::close(*fd);
  return true;
}

// Round-trip times in microseconds, sorted; none when a pong does not come.
std::optional<std::vector<double>> pingRoundTrips(bench::TlsClient& phone, int count) {
  std::vector<double> micros;
  micros.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const auto begin = Stopwatch::now();
    if (!bench::sendEnvelope(phone, Envelope::make("ping")) || !bench::awaitEnvelope(phone, "pong")) return std::nullopt;
    micros.push_back(std::chrono::duration<double, std::micro>(Stopwatch::now() - begin).count());
  }
  std::sort(micros.begin(), micros.end());
  return micros;
}

// kCrowd connections, one after another, each completing TLS and then staying
// silent; the phone pings now and then meanwhile. False when the phone's pong fails.
bool arrive(bench::TlsClient& phone, std::vector<bench::TlsClient>& crowd, int& refused) {
  crowd.reserve(kCrowd);
  for (int i = 0; i < kCrowd; ++i) {
    auto client = bench::TlsClient::connect("127.0.0.1", PairingServer::port);
    if (client) {
      crowd.push_back(std::move(*client));
    } else {
      ++refused;
    }
    if ((i + 1) % kPhonePingEvery == 0 && !pingRoundTrips(phone, 1)) return false;
  }
  return true;
}

// The server in its own process, listening with the bench phone paired; null (and the
// benchmark marked skipped) when it cannot be had.
std::unique_ptr<ServerProcess> startServer(benchmark::State& state, const bench::TempFolder& folder) {
  raiseDescriptorLimit(kCrowd + 256);
  if (portInUse()) {
    state.SkipWithError("port 17431 is in use (another Orvane or test run?); the figures would not be ours");
    return nullptr;
  }
  if (folder.path.empty()) {
    state.SkipWithError("no temporary folder");
    return nullptr;
  }
  auto server = ServerProcess::start(folder.path / "Orvane");
  if (!server) {
    state.SkipWithError(server.error().c_str());
    return nullptr;
  }
  std::optional<ServerReport> report;
  for (int i = 0; i < 100 && !(report && report->running); ++i) {
    report = (*server)->report();
    if (!report) break;
    if (!report->running) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!report || !report->running || !report->stored) {
    state.SkipWithError("the server did not start with the paired phone stored");
    return nullptr;
  }
  return std::move(*server);
}

void BM_UnauthenticatedCrowd(benchmark::State& state) {
  bench::TempFolder folder;
  auto server = startServer(state, folder);
  if (!server) return;
  auto& child = *server;

  for (auto _ : state) {
    // (i) Listening, with nothing connected yet.
    const double idleMiB = child.rssMiB();

    // (iii, first half) The phone alone.
    auto phone = bench::authenticatedPhone();
    if (!phone) {
      state.SkipWithError(phone.error().c_str());
      return;
    }
    const double withPhoneMiB = child.rssMiB();
    auto alone = pingRoundTrips(*phone, kRoundTrips);
    if (!alone) {
      state.SkipWithError("phone alone: no pong");
      return;
    }

    // (ii) The crowd: each completes TLS, then stays silent.
    std::vector<bench::TlsClient> crowd;
    int refused = 0;
    const auto crowdBegin = Stopwatch::now();
    if (!arrive(*phone, crowd, refused)) {
      state.SkipWithError("the phone lost its pong while the crowd arrived");
      return;
    }
    const double crowdSeconds = std::chrono::duration<double>(Stopwatch::now() - crowdBegin).count();
    // The last handshakes finish on the server a moment after the clients see them.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto held = child.report();
    const auto stillOpen = std::count_if(crowd.begin(), crowd.end(), [](bench::TlsClient& c) { return !c.closedByPeer(); });
    const double crowdMiB = child.rssMiB();

    // (iii, second half) The phone beside what the server still holds.
    auto beside = pingRoundTrips(*phone, kRoundTrips);
    if (!beside) {
      state.SkipWithError("phone beside the crowd: no pong");
      return;
    }

    // The crowd leaves; what stays is what the server keeps for good.
    crowd.clear();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto afterReport = child.report();
    const double afterMiB = child.rssMiB();

    // A second crowd the same: memory held for good per connection would grow again;
    // memory the allocator merely keeps for reuse stays where it is.
    int refusedAgain = 0;
    if (!arrive(*phone, crowd, refusedAgain) || !pingRoundTrips(*phone, 1)) {
      state.SkipWithError("the phone lost its pong while the second crowd arrived");
      return;
    }
    crowd.clear();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double afterSecondMiB = child.rssMiB();

    state.counters["idle_rss_MiB"] = idleMiB;
    state.counters["phone_rss_MiB"] = withPhoneMiB;
    state.counters["crowd_rss_MiB"] = crowdMiB;
    state.counters["after_rss_MiB"] = afterMiB;
    state.counters["after_2nd_rss_MiB"] = afterSecondMiB;
    state.counters["crowd_tls_ok"] = static_cast<double>(kCrowd - refused);
    state.counters["crowd_2nd_tls_ok"] = static_cast<double>(kCrowd - refusedAgain);
    state.counters["crowd_open_seen"] = static_cast<double>(stillOpen);
    state.counters["server_peers"] = held ? static_cast<double>(held->peers) : -1;
    state.counters["server_peers_after"] = afterReport ? static_cast<double>(afterReport->peers) : -1;
    state.counters["phone_authed"] = held ? held->authed : 0;
    state.counters["crowd_conn_per_s"] = kCrowd / crowdSeconds;
    state.counters["alone_p50_us"] = bench::percentile(*alone, 0.50);
    state.counters["alone_p99_us"] = bench::percentile(*alone, 0.99);
    state.counters["crowd_p50_us"] = bench::percentile(*beside, 0.50);
    state.counters["crowd_p99_us"] = bench::percentile(*beside, 0.99);
  }
}

// One pass: the figures are states of one server, not rates to average.
BENCHMARK(BM_UnauthenticatedCrowd)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same number of connections that stop before TLS: plain TCP, never a byte sent.
// Only the newest handshakes in progress are kept (the oldest make room), so this
// shows what that bound leaves the server holding, and whether a new client still
// gets in beside them.
void BM_HandshakeCrowd(benchmark::State& state) {
  bench::TempFolder folder;
  auto server = startServer(state, folder);
  if (!server) return;
  auto& child = *server;

  for (auto _ : state) {
    const double idleMiB = child.rssMiB();
    std::vector<int> crowd;
    crowd.reserve(kCrowd);
    for (int i = 0; i < kCrowd; ++i) {
      auto fd = bench::connectTcp("127.0.0.1", PairingServer::port, std::chrono::milliseconds(5000));
      if (fd) crowd.push_back(*fd);
    }
    // The listener takes them in at its own pace: wait until its descriptor count
    // stops rising (at most 10 s, within the handshake time-out).
    double descriptors = child.openDescriptors();
    for (int i = 0; i < 100; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      const double now = child.openDescriptors();
      if (now == descriptors && now >= static_cast<double>(crowd.size())) break;
      descriptors = now;
    }
    const double crowdMiB = child.rssMiB();

    // A newcomer beside them: connect, TLS, one ping answered.
    const auto begin = Stopwatch::now();
    auto client = bench::connectToServer(1);
    const bool answered = client && bench::sendEnvelope(*client, Envelope::make("ping")) && bench::awaitEnvelope(*client, "pong");
    const double newcomerMs = std::chrono::duration<double, std::milli>(Stopwatch::now() - begin).count();

    for (int fd : crowd) ::close(fd);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double afterMiB = child.rssMiB();

    state.counters["idle_rss_MiB"] = idleMiB;
    state.counters["crowd_rss_MiB"] = crowdMiB;
    state.counters["after_rss_MiB"] = afterMiB;
    state.counters["crowd_tcp_ok"] = static_cast<double>(crowd.size());
    state.counters["server_fds"] = descriptors;
    state.counters["newcomer_answered"] = answered ? 1 : 0;
    state.counters["newcomer_ms"] = newcomerMs;
  }
}
BENCHMARK(BM_HandshakeCrowd)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

// Started as the server's own process, or as the benchmark program.
int main(int argc, char** argv) {
  if (argc == 4 && argv[1] == kServeFlag) return serveForBenchmark(std::atoi(argv[2]), argv[3]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
