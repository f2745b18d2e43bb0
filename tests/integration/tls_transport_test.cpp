// The Asio + OpenSSL transport against real loopback TLS on the server's port, with
// an OpenSSL client in the test thread playing the phone.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <future>
#include <map>
#include <stdexcept>
#include <mutex>

#include <openssl/sha.h>

#include "../../bench/test_identity.hpp"
#include "../../bench/tls_client.hpp"
#include "platform/linux/net/asio_serial_queue.hpp"
#include "platform/linux/net/asio_transport.hpp"
#include "platform/linux/net/socket_tuning.hpp"
#include "time_scale.hpp"

namespace orvane {
namespace {

using namespace std::chrono_literals;
using bench::TlsClient;
using bench::TlsClientOptions;

constexpr std::uint16_t kPort = 17431;
// Generous: only a broken transport makes a test wait this long.
const auto kPatience = scaledForBuild(5s);

// Items handed from the server queue to the test thread.
template <class T>
class Mailbox {
 public:
  void push(T item) {
    // Notified under the lock: once the reader has the item, the pushing thread
    // touches the mailbox no more, so the reader may destroy it.
    std::lock_guard lock(mutex_);
    items_.push_back(std::move(item));
    arrived_.notify_all();
  }
  std::optional<T> pop() {
    std::unique_lock lock(mutex_);
    if (!arrived_.wait_for(lock, kPatience, [&] { return !items_.empty(); })) return std::nullopt;
    T item = std::move(items_.front());
    items_.pop_front();
    return item;
  }
  bool empty() const {
    std::lock_guard lock(mutex_);
    return items_.empty();
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<T> items_;
};

// Runs `work` on the queue and returns its result to the test thread.
template <class F>
auto onQueue(AsioSerialQueue& queue, F work) -> decltype(work()) {
  auto task = std::make_shared<std::packaged_task<decltype(work())()>>(std::move(work));
  auto result = task->get_future();
  queue.post([task] { (*task)(); });
  if (result.wait_for(kPatience) != std::future_status::ready) {
    ADD_FAILURE() << "the queue did not run a task";
    std::abort();  // the task still refers to the test's stack
  }
  return result.get();
}

// Lets everything already posted to the queue run, including what those tasks post.
void drain(AsioSerialQueue& queue) {
  onQueue(queue, [] {});
  onQueue(queue, [] {});
}

Bytes sha256(const Bytes& data) {
  Bytes digest(SHA256_DIGEST_LENGTH);
  SHA256(data.data(), data.size(), digest.data());
  return digest;
}

Bytes pattern(std::size_t size) {
  Bytes data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(i % 251);
  return data;
}

struct StateEvent {
  PeerID id;
  ConnectionState state;
  std::string error;
};

struct ChunkEvent {
  PeerID id;
  Bytes data;
  bool isComplete;
  std::optional<std::string> error;
};

struct TestServerOptions {
  AsioTransportOptions transport;
  std::size_t receiveMax = 65536;
  // What the server does with each chunk, inside its receive handler; none: echoes it.
  std::function<void(Connection&, const Bytes&)> answer;
};

// The server end, driven the way the pairing server drives it: every accepted
// connection is started, kept once ready, and sends back each chunk it receives.
class TestServer {
 public:
  explicit TestServer(TestServerOptions options = {})
      : receiveMax_(options.receiveMax),
        answer_(std::move(options.answer)),
        transport_(queue_, std::move(options.transport)) {}

  ~TestServer() {
    onQueue(queue_, [this] {
      listener_.reset();
      connections_.clear();
    });
    // No handler may run once the mailboxes are gone.
    queue_.stop();
  }

  // Listens on the real port (with `service` set before the start) and waits for ready.
  ::testing::AssertionResult listen(std::optional<DiscoveryService> service = std::nullopt) {
    auto identity = bench::makeTestIdentity();
    if (!identity) return ::testing::AssertionFailure() << "no test identity";
    identity_ = *identity;
    auto credentials = transport_.makeTlsCredentials(identity_);
    if (!credentials) return ::testing::AssertionFailure() << "credentials refused";
    auto made = onQueue(queue_, [&] { return transport_.makeListener(credentials, kPort); });
    if (!made) return ::testing::AssertionFailure() << "listener: " << made.error();
    onQueue(queue_, [&] {
      listener_ = std::move(*made);
      listener_->setStateHandler([this](ListenerState state, const std::string&) { listenerStates.push(state); });
      listener_->setNewConnectionHandler([this](std::shared_ptr<Connection> connection) { accept(connection); });
      listener_->setService(service);
      listener_->start();
    });
    const auto state = listenerStates.pop();
    if (state != ListenerState::ready) return ::testing::AssertionFailure() << "listener not ready";
    return ::testing::AssertionSuccess();
  }

  void setService(std::optional<DiscoveryService> service) {
    onQueue(queue_, [&] { listener_->setService(service); });
  }
  void cancelListener() {
    onQueue(queue_, [&] { listener_->cancel(); });
  }

  // The next connection that became ready.
  std::shared_ptr<Connection> nextReady() {
    const auto event = states.pop();
    if (!event || event->state != ConnectionState::ready) {
      ADD_FAILURE() << "no connection became ready";
      return nullptr;
    }
    return onQueue(queue_, [&] { return connections_.at(event->id); });
  }

  AsioSerialQueue& queue() { return queue_; }
  const TlsIdentityMaterial& identity() const { return identity_; }

  Mailbox<ListenerState> listenerStates;
  Mailbox<StateEvent> states;
  Mailbox<ChunkEvent> chunks;

 private:
  void accept(const std::shared_ptr<Connection>& connection) {
    const PeerID id = connection->id();
    std::weak_ptr<Connection> weak = connection;
    connection->setStateHandler([this, id, weak](ConnectionState state, const std::string& error) {
      states.push({id, state, error});
      auto live = weak.lock();
      if (state != ConnectionState::ready || !live) return;
      connections_[id] = live;
      echo(live);
    });
    connection->start();
  }

  void echo(const std::shared_ptr<Connection>& connection) {
    connection->receive(receiveMax_, [this, connection](Bytes data, bool isComplete, std::optional<std::string> error) {
      chunks.push({connection->id(), data, isComplete, error});
      if (!data.empty()) {
        if (answer_) {
          answer_(*connection, data);
        } else {
          connection->send(data, {});
        }
      }
      if (!isComplete && !error) echo(connection);
    });
  }

  AsioSerialQueue queue_{"zel.pairing-server"};
  std::size_t receiveMax_;
  std::function<void(Connection&, const Bytes&)> answer_;
  AsioTransport transport_;
  TlsIdentityMaterial identity_;
  std::unique_ptr<Listener> listener_;
  std::map<PeerID, std::shared_ptr<Connection>> connections_;
};

TlsClientOptions onlyVersion(int version, int securityLevel = -1) {
  TlsClientOptions options;
  options.minVersion = version;
  options.maxVersion = version;
  options.securityLevel = securityLevel;
  return options;
}

TEST(TlsTransport, AcceptsTls12AndNewerPresentingOurCertificate) {
  TestServer server;
  ASSERT_TRUE(server.listen());

  struct Row {
    const char* name;
    TlsClientOptions client;
    bool accepted;
    const char* negotiated;
  };
  // Security level 0 lets the client offer TLS 1.1 at all, so that the refusal
  // comes from the server.
  const Row rows[] = {
      {"TLS 1.1 only", onlyVersion(TLS1_1_VERSION, 0), false, ""},
      {"TLS 1.2 only", onlyVersion(TLS1_2_VERSION), true, "TLSv1.2"},
      {"TLS 1.3 only", onlyVersion(TLS1_3_VERSION), true, "TLSv1.3"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto client = TlsClient::connect("127.0.0.1", kPort, row.client);
    const auto state = server.states.pop();
    ASSERT_TRUE(state);
    if (!row.accepted) {
      ASSERT_FALSE(client);
      EXPECT_NE(client.error().find("alert protocol version"), std::string::npos) << client.error() << " / server: " << state->error;
      EXPECT_EQ(state->state, ConnectionState::failed);
      EXPECT_FALSE(state->error.empty());
      continue;
    }
    ASSERT_TRUE(client) << client.error();
    EXPECT_EQ(state->state, ConnectionState::ready) << state->error;
    EXPECT_EQ(client->version(), row.negotiated);
    EXPECT_EQ(sha256(client->peerCertificateDer()), sha256(server.identity().certDER));
    ASSERT_TRUE(client->writeAll(toBytes("ping")));
    EXPECT_EQ(client->readExact(4), toBytes("ping"));
  }
}

TEST(TlsTransport, MakesCredentialsOnlyFromAMatchingCertificateAndKey) {
  AsioSerialQueue queue("zel.pairing-server");
  AsioTransport transport(queue);
  const auto identity = bench::makeTestIdentity();
  const auto other = bench::makeTestIdentity();
  ASSERT_TRUE(identity && other);
  Bytes certWithTrailer = identity->certDER;
  certWithTrailer.push_back(0);
  const Bytes truncatedKey(identity->privateKeyPkcs8.begin(), identity->privateKeyPkcs8.end() - 1);

  struct Row {
    const char* name;
    TlsIdentityMaterial material;
    bool usable;
  };
  const Row rows[] = {
      {"certificate with its own key", *identity, true},
      {"key of another certificate", {identity->certDER, other->privateKeyPkcs8}, false},
      {"certificate followed by stray bytes", {certWithTrailer, identity->privateKeyPkcs8}, false},
      {"truncated key", {identity->certDER, truncatedKey}, false},
      {"nothing", {}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(transport.makeTlsCredentials(row.material) != nullptr, row.usable);
  }
}

TEST(TlsTransport, ReceivesAtMostTheAskedLengthAndEchoesInOrder) {
  TestServer server({.receiveMax = 100});
  ASSERT_TRUE(server.listen());
  auto client = TlsClient::connect("127.0.0.1", kPort);
  ASSERT_TRUE(client) << client.error();
  ASSERT_TRUE(server.nextReady());

  const Bytes sent = pattern(1000);
  ASSERT_TRUE(client->writeAll(sent));
  EXPECT_EQ(client->readExact(sent.size()), sent);

  Bytes received;
  while (received.size() < sent.size()) {
    const auto chunk = server.chunks.pop();
    ASSERT_TRUE(chunk);
    ASSERT_FALSE(chunk->error) << *chunk->error;
    EXPECT_GE(chunk->data.size(), 1u);
    EXPECT_LE(chunk->data.size(), 100u);
    received.insert(received.end(), chunk->data.begin(), chunk->data.end());
  }
  EXPECT_EQ(received, sent);
}

TEST(TlsTransport, WritesQueuedSendsWholeAndInCallOrder) {
  TestServer server;
  ASSERT_TRUE(server.listen());
  auto client = TlsClient::connect("127.0.0.1", kPort);
  ASSERT_TRUE(client) << client.error();
  auto connection = server.nextReady();
  ASSERT_TRUE(connection);

  // Far more than the socket buffers hold, all handed over in one go, so that later
  // sends wait while an earlier one is still being written.
  constexpr int kCount = 64;
  constexpr std::size_t kSize = 16 * 1024;
  Mailbox<std::pair<int, std::optional<std::string>>> completions;
  onQueue(server.queue(), [&] {
    for (int i = 0; i < kCount; ++i) {
      connection->send(Bytes(kSize, static_cast<std::uint8_t>(i)),
                       [&completions, i](std::optional<std::string> error) { completions.push({i, error}); });
    }
  });

  const auto received = client->readExact(kCount * kSize);
  ASSERT_TRUE(received);
  for (int i = 0; i < kCount; ++i) {
    SCOPED_TRACE(i);
    const auto block = received->begin() + static_cast<std::ptrdiff_t>(i * kSize);
    ASSERT_TRUE(std::all_of(block, block + kSize, [i](std::uint8_t b) { return b == i; }));
    const auto completion = completions.pop();
    ASSERT_TRUE(completion);
    EXPECT_EQ(completion->first, i);
    EXPECT_FALSE(completion->second);
  }
}

TEST(TlsTransport, AnswersSentWhileAChunkIsHandedOverLeaveInOrderWithTheirCompletions) {
  // Each chunk is answered three times from the receive handler, and the third
  // answer's completion sends a fourth: all of them leave in call order, whole, and the
  // next chunk is still received.
  std::vector<std::string> completed;  // on the server queue
  TestServer server({.answer = [&completed](Connection& connection, const Bytes& data) {
    for (char tag : std::string("abc")) {
      Bytes answer = data;
      answer.push_back(static_cast<std::uint8_t>(tag));
      connection.send(answer, [&completed, &connection, tag](std::optional<std::string> error) {
        completed.push_back(std::string(1, tag) + (error ? "!" : ""));
        if (tag == 'c') connection.send(toBytes("d"), [&completed](auto) { completed.push_back("d"); });
      });
    }
  }});
  ASSERT_TRUE(server.listen());
  auto client = TlsClient::connect("127.0.0.1", kPort);
  ASSERT_TRUE(client) << client.error();
  ASSERT_TRUE(server.nextReady());

  for (const char* chunk : {"one", "two"}) {
    SCOPED_TRACE(chunk);
    const std::string c(chunk);
    ASSERT_TRUE(client->writeAll(toBytes(c)));
    const std::string expected = c + "a" + c + "b" + c + "c" + "d";
    EXPECT_EQ(client->readExact(expected.size()), toBytes(expected));
    ASSERT_TRUE(server.chunks.pop());
  }
  drain(server.queue());
  EXPECT_EQ(onQueue(server.queue(), [&] { return completed; }),
            (std::vector<std::string>{"a", "b", "c", "d", "a", "b", "c", "d"}));
}

TEST(TlsTransport, AnAnswerHeldDuringAHandOverStillLeavesWhenTheHandlerEndsBadly) {
  // What the receive handler sent goes out although the handler then closes the
  // connection (an answer, then a frame that ends the link), or throws.
  struct Row {
    const char* name;
    void (*after)(Connection&);
    bool closes;
  };
  const Row rows[] = {
      {"the connection is cancelled", [](Connection& connection) { connection.cancel(); }, true},
      {"the handler throws", [](Connection&) { throw std::runtime_error("handler failed"); }, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TestServer server({.answer = [after = row.after](Connection& connection, const Bytes& data) {
      Bytes answer = data;
      answer.push_back('!');
      connection.send(answer, {});
      after(connection);
    }});
    ASSERT_TRUE(server.listen());
    auto client = TlsClient::connect("127.0.0.1", kPort);
    ASSERT_TRUE(client) << client.error();
    auto connection = server.nextReady();
    ASSERT_TRUE(connection);
    ASSERT_TRUE(client->writeAll(toBytes("bye")));
    EXPECT_EQ(client->readExact(4), toBytes("bye!"));
    if (!row.closes) {
      // Later sends are not held either.
      onQueue(server.queue(), [&] { connection->send(toBytes("more"), {}); });
      EXPECT_EQ(client->readExact(4), toBytes("more"));
    }
  }
}

TEST(TlsTransport, EndOfStreamCompletesTheReceive) {
  TestServer server;
  ASSERT_TRUE(server.listen());

  struct Row {
    const char* name;
    void (*end)(TlsClient&);
  };
  const Row rows[] = {
      {"close_notify", [](TlsClient& client) { client.shutdown(); }},
      {"socket closed without close_notify", [](TlsClient& client) { client.closeAbruptly(); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto client = TlsClient::connect("127.0.0.1", kPort);
    ASSERT_TRUE(client) << client.error();
    ASSERT_TRUE(server.nextReady());
    // A round trip first: it also consumes what the server sent after the handshake,
    // so that closing the socket sends a FIN and not a reset.
    ASSERT_TRUE(client->writeAll(toBytes("bye")));
    ASSERT_EQ(client->readExact(3), toBytes("bye"));
    ASSERT_TRUE(server.chunks.pop());

    row.end(*client);
    const auto last = server.chunks.pop();
    ASSERT_TRUE(last);
    EXPECT_TRUE(last->isComplete);
    EXPECT_TRUE(last->data.empty());
    EXPECT_FALSE(last->error) << *last->error;
  }
}

TEST(TlsTransport, CancelClosesAtOnceAndReportsCancelledOnceAfterwards) {
  TestServer server;
  ASSERT_TRUE(server.listen());
  auto client = TlsClient::connect("127.0.0.1", kPort);
  ASSERT_TRUE(client) << client.error();
  auto connection = server.nextReady();
  ASSERT_TRUE(connection);

  Mailbox<std::optional<std::string>> sendResults;
  bool stateInsideCall = true;
  bool sendResultInsideCall = true;
  onQueue(server.queue(), [&] {
    connection->cancel();
    connection->send(toBytes("too late"), [&](std::optional<std::string> error) { sendResults.push(error); });
    stateInsideCall = !server.states.empty();
    sendResultInsideCall = !sendResults.empty();
  });
  EXPECT_FALSE(stateInsideCall);
  EXPECT_FALSE(sendResultInsideCall);

  const auto state = server.states.pop();
  ASSERT_TRUE(state);
  EXPECT_EQ(state->state, ConnectionState::cancelled);
  const auto pendingReceive = server.chunks.pop();
  ASSERT_TRUE(pendingReceive);
  EXPECT_TRUE(pendingReceive->error);
  const auto sendResult = sendResults.pop();
  ASSERT_TRUE(sendResult);
  EXPECT_TRUE(*sendResult);
  EXPECT_TRUE(client->waitForClose());

  onQueue(server.queue(), [&] { connection->cancel(); });
  drain(server.queue());
  EXPECT_TRUE(server.states.empty());
}

TEST(TlsTransport, HandshakeThatNeverFinishesFailsAndIsClosed) {
  // Long enough for the first client's handshake to finish even in a slow build.
  TestServer server({.transport = {.handshakeTimeout = scaledForBuild(200ms)}});
  ASSERT_TRUE(server.listen());
  auto finished = TlsClient::connect("127.0.0.1", kPort);
  ASSERT_TRUE(finished) << finished.error();
  ASSERT_TRUE(server.nextReady());

  auto silent = bench::connectTcp("127.0.0.1", kPort, kPatience);
  ASSERT_TRUE(silent) << silent.error();
  const auto state = server.states.pop();
  ASSERT_TRUE(state);
  EXPECT_EQ(state->state, ConnectionState::failed);
  EXPECT_EQ(state->error, "TLS handshake timed out");
  char byte = 0;
  EXPECT_EQ(::recv(*silent, &byte, 1, 0), 0) << "the server should have closed the socket";
  ::close(*silent);

  // The connection whose handshake finished is older than the time-out by now and
  // must still be open.
  ASSERT_TRUE(finished->writeAll(toBytes("still here")));
  EXPECT_EQ(finished->readExact(10), toBytes("still here"));
  EXPECT_TRUE(server.states.empty());
}

// Whether the server closed `fd` within `patience` (a read gives end of stream).
bool closedByServer(int fd, std::chrono::milliseconds patience) {
  pollfd p{fd, POLLIN, 0};
  if (::poll(&p, 1, static_cast<int>(patience.count())) <= 0) return false;
  char byte = 0;
  return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
}

TEST(TlsTransport, HandshakesInProgressAreBoundedAndTheOldestMakesRoom) {
  TestServer server({.transport = {.handshakeTimeout = scaledForBuild(30s), .maxHandshakes = 2}});
  ASSERT_TRUE(server.listen());
  std::vector<int> silent;
  for (int i = 0; i < 3; ++i) {
    auto fd = bench::connectTcp("127.0.0.1", kPort, kPatience);
    ASSERT_TRUE(fd) << fd.error();
    silent.push_back(*fd);
  }
  EXPECT_TRUE(closedByServer(silent[0], kPatience)) << "the oldest of three waiting handshakes is closed";
  EXPECT_FALSE(closedByServer(silent[1], 200ms));
  EXPECT_FALSE(closedByServer(silent[2], 200ms));
  auto closed = server.states.pop();
  ASSERT_TRUE(closed);
  EXPECT_EQ(closed->state, ConnectionState::cancelled);

  // A client that does its handshake still gets through, and takes the next room.
  auto client = TlsClient::connect("127.0.0.1", kPort);
  ASSERT_TRUE(client) << client.error();
  closed = server.states.pop();
  ASSERT_TRUE(closed);
  EXPECT_EQ(closed->state, ConnectionState::cancelled) << "the next oldest made room";
  ASSERT_TRUE(server.nextReady());
  EXPECT_TRUE(closedByServer(silent[1], kPatience));
  EXPECT_FALSE(closedByServer(silent[2], 200ms));
  ASSERT_TRUE(client->writeAll(toBytes("hello")));
  EXPECT_EQ(client->readExact(5), toBytes("hello"));
  for (int fd : silent) ::close(fd);
}

TEST(TlsTransport, ReportsBothEndpointsAndADistinctIdPerConnection) {
  TestServer server;
  ASSERT_TRUE(server.listen());
  auto first = TlsClient::connect("127.0.0.1", kPort);
  ASSERT_TRUE(first) << first.error();
  auto firstConnection = server.nextReady();
  auto second = TlsClient::connect("127.0.0.1", kPort);
  ASSERT_TRUE(second) << second.error();
  auto secondConnection = server.nextReady();
  ASSERT_TRUE(firstConnection && secondConnection);

  EXPECT_NE(firstConnection->id(), secondConnection->id());
  // The listening socket takes IPv6 too; an IPv4 peer still reads as a dotted quad.
  EXPECT_EQ(firstConnection->remoteEndpoint(), (Endpoint{"127.0.0.1", first->localPort()}));
  EXPECT_EQ(secondConnection->remoteEndpoint(), (Endpoint{"127.0.0.1", second->localPort()}));
  EXPECT_EQ(firstConnection->localEndpoint(), (Endpoint{"127.0.0.1", kPort}));
}

TEST(TlsTransport, ListenerReportsReadyThenCancelledAndFreesThePort) {
  TestServer server;
  ASSERT_TRUE(server.listen());

  server.cancelListener();
  EXPECT_EQ(server.listenerStates.pop(), ListenerState::cancelled);
  EXPECT_FALSE(bench::connectTcp("127.0.0.1", kPort, kPatience)) << "still accepting after cancel";
  server.cancelListener();
  drain(server.queue());
  EXPECT_TRUE(server.listenerStates.empty());

  ASSERT_TRUE(server.listen()) << "the port should be free again at once";
  auto client = TlsClient::connect("127.0.0.1", kPort);
  EXPECT_TRUE(client) << client.error();
}

TEST(TlsTransport, ListenerCreationFailsWhenThePortIsTaken) {
  const int blocker = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(blocker, 0);
  // Address reuse on the blocker too, so that connections of earlier tests waiting
  // in TIME_WAIT cannot stop it from binding; it still holds the port while listening.
  const int one = 1;
  ::setsockopt(blocker, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(kPort);
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  ASSERT_EQ(::bind(blocker, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << std::strerror(errno);
  ASSERT_EQ(::listen(blocker, 1), 0);

  AsioSerialQueue queue("zel.pairing-server");
  AsioTransport transport(queue);
  const auto identity = bench::makeTestIdentity();
  ASSERT_TRUE(identity);
  auto listener = transport.makeListener(transport.makeTlsCredentials(*identity), kPort);
  ::close(blocker);
  ASSERT_FALSE(listener);
  EXPECT_EQ(listener.error(), std::strerror(EADDRINUSE));
}

class RecordingAdvertiser final : public ServiceAdvertiser {
 public:
  void advertise(std::optional<DiscoveryService> service, std::uint16_t port) override {
    calls.push({std::move(service), port});
  }
  Mailbox<std::pair<std::optional<DiscoveryService>, std::uint16_t>> calls;
};

TEST(TlsTransport, ListenerPublishesItsServiceWhileListening) {
  auto advertiser = std::make_shared<RecordingAdvertiser>();
  TestServer server({.transport = {.advertiser = advertiser}});
  const DiscoveryService first{"Orvane-ab12", "_orvane._tcp", Bytes{4, 't', 'h', '=', 'x'}};
  const DiscoveryService second{"Orvane-ab12", "_orvane._tcp", Bytes{4, 't', 'h', '=', 'y'}};
  using Call = std::pair<std::optional<DiscoveryService>, std::uint16_t>;

  ASSERT_TRUE(server.listen(first));
  EXPECT_EQ(advertiser->calls.pop(), (Call{first, kPort}));
  server.setService(second);
  EXPECT_EQ(advertiser->calls.pop(), (Call{second, kPort}));
  server.setService(std::nullopt);
  EXPECT_EQ(advertiser->calls.pop(), (Call{std::nullopt, kPort}));
  server.setService(first);
  EXPECT_EQ(advertiser->calls.pop(), (Call{first, kPort}));
  server.cancelListener();
  EXPECT_EQ(advertiser->calls.pop(), (Call{std::nullopt, kPort}));
  drain(server.queue());
  EXPECT_TRUE(advertiser->calls.empty());
}

// A plain TCP listener on loopback that takes one line, as the phone takes a nudge.
class LineListener {
 public:
  LineListener() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "line listener: " << std::strerror(errno);
      return;
    }
    port_ = ntohs(address.sin_port);
  }
  ~LineListener() {
    if (fd_ >= 0) ::close(fd_);
  }
  void listen() { ::listen(fd_, 4); }
  std::uint16_t port() const { return port_; }

  // Everything one client sends up to and including its first line feed.
  std::optional<std::string> acceptLine() {
    pollfd waiting{fd_, POLLIN, 0};
    if (::poll(&waiting, 1, static_cast<int>(std::chrono::milliseconds(kPatience).count())) != 1) return std::nullopt;
    const int client = ::accept(fd_, nullptr, nullptr);
    if (client < 0) return std::nullopt;
    const timeval timeout{static_cast<time_t>(std::chrono::seconds(kPatience).count()), 0};
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string line;
    char byte = 0;
    while (::recv(client, &byte, 1, 0) == 1) {
      line.push_back(byte);
      if (byte == '\n') break;
    }
    ::close(client);
    return line;
  }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
};

TEST(TcpConnection, ConnectsBoundAsAskedAndFailsOtherwise) {
  AsioSerialQueue queue("zel.pairing-server");
  AsioTransport transport(queue);
  LineListener listening;
  listening.listen();
  LineListener closed;  // bound, never listening: connections are refused

  struct Row {
    const char* name;
    std::string host;
    const LineListener* target;
    std::optional<std::string> bindLocal;
    bool connects;
  };
  const Row rows[] = {
      {"bound to 127.0.0.1", "127.0.0.1", &listening, "127.0.0.1", true},
      {"unbound", "127.0.0.1", &listening, std::nullopt, true},
      {"empty local address means unbound", "127.0.0.1", &listening, "", true},
      {"to a port nobody listens on", "127.0.0.1", &closed, std::nullopt, false},
      {"host name instead of an address", "localhost", &listening, std::nullopt, false},
      {"bound to an address this host does not have", "127.0.0.1", &listening, "192.0.2.1", false},
  };
  const std::string line = "WKN1 device 1700000000 mac\n";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Mailbox<StateEvent> states;
    Mailbox<std::optional<std::string>> sent;
    auto connection = transport.makeTcpConnection(row.host, row.target->port(), row.bindLocal);
    std::weak_ptr<Connection> weak = connection;
    connection->setStateHandler([&, weak](ConnectionState state, const std::string& error) {
      states.push({0, state, error});
      auto live = weak.lock();
      if (state == ConnectionState::ready && live) {
        live->send(toBytes(line), [&](std::optional<std::string> error) { sent.push(error); });
      }
    });
    connection->start();

    const auto state = states.pop();
    ASSERT_TRUE(state);
    if (!row.connects) {
      EXPECT_EQ(state->state, ConnectionState::failed);
      EXPECT_FALSE(state->error.empty());
    } else {
      EXPECT_EQ(state->state, ConnectionState::ready) << state->error;
      EXPECT_EQ(listening.acceptLine(), line);
      const auto sendResult = sent.pop();
      ASSERT_TRUE(sendResult);
      EXPECT_FALSE(*sendResult) << **sendResult;
      const auto local = connection->localEndpoint();
      ASSERT_TRUE(local);
      EXPECT_EQ(local->host, "127.0.0.1");
      EXPECT_NE(local->port, 0);
      EXPECT_EQ(connection->remoteEndpoint(), (Endpoint{"127.0.0.1", listening.port()}));
      connection->cancel();
      const auto cancelled = states.pop();
      ASSERT_TRUE(cancelled);
      EXPECT_EQ(cancelled->state, ConnectionState::cancelled);
    }
    // Nothing may reach the row's mailboxes once they are gone.
    onQueue(queue, [&] { connection.reset(); });
    drain(queue);
  }
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

// Frames leave at once on every connection: no waiting for the peer's acknowledgement.
TEST(SocketTuning, ConnectionsSendFramesWithoutNagleDelay) {
  asio::io_context io;
  asio::ip::tcp::acceptor acceptor(io, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
  asio::ip::tcp::socket client(io), served(io);
  client.connect(acceptor.local_endpoint());
  acceptor.accept(served);
  for (auto* socket : {&client, &served}) {
    asio::ip::tcp::no_delay before;
    socket->get_option(before);
    EXPECT_FALSE(before.value()) << "the system default, so the check below means something";
    sendFramesAtOnce(*socket);
    asio::ip::tcp::no_delay after;
    socket->get_option(after);
    EXPECT_TRUE(after.value());
  }
}

}  // namespace
}  // namespace orvane
