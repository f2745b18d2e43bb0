#include "fake_transport.hpp"

#include "wire/framing.hpp"

namespace orvane::testing {

void FakeConnection::receive(std::size_t maximumLength, ReceiveHandler handler) {
  ++receiveCalls;
  lastReceiveMaximum = maximumLength;
  pendingReceive_ = std::move(handler);
  pump();
}

void FakeConnection::send(Bytes content, SendCompletion completion) {
  sent_.push_back(std::move(content));
  if (holdCompletions) {
    heldCompletions_.push_back(std::move(completion));
    return;
  }
  queue_.post([completion = std::move(completion)] { completion(std::nullopt); });
}

void FakeConnection::releaseCompletions() {
  for (auto& c : heldCompletions_) queue_.post([c = std::move(c)] { c(std::nullopt); });
  heldCompletions_.clear();
}

void FakeConnection::cancel() {
  if (cancelled) return;
  cancelled = true;
  deliverState(ConnectionState::cancelled);
}

void FakeConnection::deliverState(ConnectionState state) {
  auto handler = stateHandler_;
  queue_.post([handler, state] {
    if (handler) handler(state, state == ConnectionState::failed ? "failed" : "");
  });
}

void FakeConnection::deliver(Bytes bytes) {
  inbound_.push_back(std::move(bytes));
  pump();
}

void FakeConnection::deliverFrame(const std::string& json) { deliver(*Framing::encode(json)); }

void FakeConnection::deliverEnvelope(const std::string& type, const Body& body, const std::string& id) {
  Envelope e{1, id, type, body};
  deliverFrame(e.encode());
}

void FakeConnection::endStream() {
  ended_ = true;
  pump();
}

void FakeConnection::pump() {
  if (!pendingReceive_ || cancelled) return;
  if (!inbound_.empty()) {
    auto handler = std::move(pendingReceive_);
    pendingReceive_ = nullptr;
    Bytes chunk = std::move(inbound_.front());
    inbound_.pop_front();
    queue_.post([handler = std::move(handler), chunk = std::move(chunk)]() mutable { handler(std::move(chunk), false, std::nullopt); });
  } else if (ended_) {
    auto handler = std::move(pendingReceive_);
    pendingReceive_ = nullptr;
    queue_.post([handler = std::move(handler)] { handler({}, true, std::nullopt); });
  }
}

std::vector<Envelope> FakeConnection::sentEnvelopes() const {
  std::vector<Envelope> out;
  for (const Bytes& frame : sent_) {
    Framing::Buffer b;
    b.append(frame);
    auto payload = b.popFrame();
    if (payload && *payload) {
      if (auto e = Envelope::parse(**payload)) out.push_back(*e);
    }
  }
  return out;
}

std::optional<Envelope> FakeConnection::lastSent() const {
  auto all = sentEnvelopes();
  if (all.empty()) return std::nullopt;
  return all.back();
}

std::shared_ptr<TlsCredentials> FakeTransport::makeTlsCredentials(const TlsIdentityMaterial&) {
  if (failCredentials) return nullptr;
  return std::make_shared<FakeCredentials>();
}

expected<std::unique_ptr<Listener>, std::string> FakeTransport::makeListener(std::shared_ptr<TlsCredentials>,
                                                                            std::uint16_t port) {
  listenPorts.push_back(port);
  if (listenerError) return unexpected(*listenerError);
  auto l = std::make_unique<FakeListener>();
  listener = l.get();
  return std::unique_ptr<Listener>(std::move(l));
}

std::shared_ptr<Connection> FakeTransport::makeTcpConnection(const std::string& host, std::uint16_t port,
                                                             std::optional<std::string> bindLocal) {
  auto conn = std::make_shared<FakeConnection>(queue_, nextID_++);
  tcpAttempts.push_back({host, port, bindLocal, conn});
  return conn;
}

std::shared_ptr<FakeConnection> FakeTransport::connect(bool ready) {
  auto conn = std::make_shared<FakeConnection>(queue_, nextID_++);
  auto handler = listener->connectionHandler;
  queue_.post([handler, conn] { handler(conn); });
  queue_.runUntilIdle();
  if (ready) {
    conn->becomeReady();
    queue_.runUntilIdle();
  }
  return conn;
}

}  // namespace orvane::testing
