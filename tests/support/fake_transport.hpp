#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/manual_queue.hpp"
#include "wire/envelope.hpp"
#include "wire/transport.hpp"

namespace orvane::testing {

// An in-memory connection driven by the test. Every handler is posted to the manual
// queue, as the real transport delivers them on the server's queue.
class FakeConnection final : public Connection, public std::enable_shared_from_this<FakeConnection> {
 public:
  FakeConnection(ManualQueue& queue, PeerID id) : queue_(queue), id_(id) {}

  PeerID id() const override { return id_; }
  void setStateHandler(StateHandler handler) override { stateHandler_ = std::move(handler); }
  void start() override { started = true; }
  void receive(std::size_t maximumLength, ReceiveHandler handler) override;
  void send(Bytes content, SendCompletion completion) override;
  void cancel() override;
  std::optional<Endpoint> remoteEndpoint() const override { return remote; }
  std::optional<Endpoint> localEndpoint() const override { return local; }

  // Test side.
  void becomeReady() { deliverState(ConnectionState::ready); }
  void fail() { deliverState(ConnectionState::failed); }
  // Delivers bytes to the outstanding receive (queued until one is asked for).
  void deliver(Bytes bytes);
  void deliverFrame(const std::string& json);
  void deliverEnvelope(const std::string& type, const Body& body = {}, const std::string& id = "E1");
  void endStream();
  // Envelopes written by the server so far (frames decoded), oldest first.
  std::vector<Envelope> sentEnvelopes() const;
  std::optional<Envelope> lastSent() const;
  std::vector<Bytes> sentRaw() const { return sent_; }
  void clearSent() { sent_.clear(); }
  // Holds back send completions until released (to observe "closed after the send").
  bool holdCompletions = false;
  void releaseCompletions();

  bool started = false;
  bool cancelled = false;
  int receiveCalls = 0;
  std::size_t lastReceiveMaximum = 0;
  std::optional<Endpoint> remote = Endpoint{"192.168.1.50", 40000};
  std::optional<Endpoint> local = Endpoint{"192.168.1.20", 17431};

 private:
  void deliverState(ConnectionState state);
  void pump();

  ManualQueue& queue_;
  PeerID id_;
  StateHandler stateHandler_;
  ReceiveHandler pendingReceive_;
  std::deque<Bytes> inbound_;
  bool ended_ = false;
  std::vector<Bytes> sent_;
  std::vector<SendCompletion> heldCompletions_;
};

class FakeListener final : public Listener {
 public:
  void setStateHandler(StateHandler handler) override { stateHandler = std::move(handler); }
  void setNewConnectionHandler(ConnectionHandler handler) override { connectionHandler = std::move(handler); }
  void setService(std::optional<DiscoveryService> s) override {
    service = std::move(s);
    ++serviceUpdates;
  }
  void start() override { started = true; }
  void cancel() override { cancelled = true; }

  StateHandler stateHandler;
  ConnectionHandler connectionHandler;
  std::optional<DiscoveryService> service;
  int serviceUpdates = 0;
  bool started = false;
  bool cancelled = false;
};

class FakeCredentials final : public TlsCredentials {};

// Outgoing TCP attempts recorded by the fake transport.
struct TcpAttempt {
  std::string host;
  std::uint16_t port;
  std::optional<std::string> bindLocal;
  std::shared_ptr<FakeConnection> conn;
};

class FakeTransport final : public Transport {
 public:
  explicit FakeTransport(ManualQueue& queue) : queue_(queue) {}

  std::shared_ptr<TlsCredentials> makeTlsCredentials(const TlsIdentityMaterial& material) override;
  expected<std::unique_ptr<Listener>, std::string> makeListener(std::shared_ptr<TlsCredentials> credentials,
                                                               std::uint16_t port) override;
  std::shared_ptr<Connection> makeTcpConnection(const std::string& host, std::uint16_t port,
                                                std::optional<std::string> bindLocal) override;

  // A new incoming connection, handed to the listener and made ready.
  std::shared_ptr<FakeConnection> connect(bool ready = true);

  bool failCredentials = false;
  std::optional<std::string> listenerError;
  FakeListener* listener = nullptr;  // the last one made (owned by the server)
  std::vector<std::uint16_t> listenPorts;
  std::vector<TcpAttempt> tcpAttempts;

 private:
  ManualQueue& queue_;
  PeerID nextID_ = 100;
};

}  // namespace orvane::testing
