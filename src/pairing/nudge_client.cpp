#include "pairing/nudge_client.hpp"

namespace orvane {

NudgeClient::~NudgeClient() {
  for (auto& [id, attempt] : attempts_) {
    attempt.timeout.cancel();
    attempt.conn->setStateHandler({});
    attempt.conn->cancel();
  }
}

void NudgeClient::send(const std::string& host, std::uint16_t port, const std::string& line,
                       const std::optional<std::string>& bindLocal, Done done) {
  auto conn = transport_->makeTcpConnection(host, port, bindLocal);
  const PeerID id = conn->id();
  std::weak_ptr<NudgeClient> weak = weak_from_this();
  auto finish = [weak, id](bool delivered) {
    if (auto self = weak.lock()) self->finish(id, delivered);
  };
  DelayedWork timeout = queue_->postAfter(timeout_, [finish] { finish(false); });
  attempts_.emplace(id, Attempt{conn, timeout, std::move(done)});

  std::weak_ptr<Connection> weakConn = conn;
  conn->setStateHandler([finish, weakConn, line](ConnectionState state, const std::string&) {
    if (state == ConnectionState::ready) {
      auto c = weakConn.lock();
      if (!c) return;
      c->send(Bytes(line.begin(), line.end()), [finish](std::optional<std::string> error) { finish(!error); });
    } else if (state == ConnectionState::failed || state == ConnectionState::cancelled) {
      finish(false);
    }
  });
  conn->start();
}

void NudgeClient::finish(PeerID id, bool delivered) {
  auto it = attempts_.find(id);
  if (it == attempts_.end()) return;  // already finished: the first outcome counts
  Attempt attempt = std::move(it->second);
  attempts_.erase(it);
  attempt.timeout.cancel();
  attempt.conn->setStateHandler({});
  attempt.conn->cancel();
  attempt.done(delivered);
}

}  // namespace orvane
