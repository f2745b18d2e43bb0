#pragma once

#include <algorithm>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <asio/dispatch.hpp>
#include <asio/post.hpp>
#include <asio/write.hpp>

#include "platform/linux/net/asio_endpoint.hpp"
#include "wire/transport.hpp"

namespace orvane {

// A new id for every connection the process makes; never reused.
PeerID nextPeerID();

// What the TLS and the plain TCP connection share: the life cycle
// (idle → starting → ready → closed), one receive at a time, sends written in call
// order with at most one write in flight (an SSL stream cannot interleave two), and
// an immediate close.
//
// Every member is touched only on the stream's executor (the server queue); public
// calls made on another thread are moved there. Handlers are never called from
// inside the public call that caused them: outcomes known at once are posted.
// `failed` or `cancelled` is reported once, and nothing after it.
template <class Stream>
class AsioStreamConnection : public Connection, public std::enable_shared_from_this<AsioStreamConnection<Stream>> {
 public:
  PeerID id() const override { return id_; }

  void setStateHandler(StateHandler handler) override {
    onExecutor([this, handler = std::move(handler)]() mutable {
      // After the last state nothing reads the handler; keeping it could only keep
      // alive whatever it holds.
      if (!stateDone_) stateHandler_ = std::move(handler);
    });
  }

  // Not yet ready and not closed: a TLS handshake (or TCP connect) is under way. On the
  // connection's executor only.
  bool isStarting() const { return phase_ == Phase::idle || phase_ == Phase::starting; }

  void receive(std::size_t maximumLength, ReceiveHandler handler) override {
    onExecutor([this, maximumLength, handler = std::move(handler)]() mutable {
      if (phase_ != Phase::ready || receiving_) {
        std::string why = receiving_ ? "A receive is already pending" : "The connection is not open";
        postToExecutor([handler = std::move(handler), why = std::move(why)] {
          if (handler) handler({}, false, why);
        });
        return;
      }
      receiving_ = true;
      // A receive asked for while a chunk is handed over starts once the answers to
      // that chunk are on their way: they go out first.
      if (delivering_) {
        deferredRead_ = [this, maximumLength, handler = std::move(handler)]() mutable {
          if (phase_ == Phase::ready) {
            startRead(maximumLength, std::move(handler));
            return;
          }
          receiving_ = false;
          postToExecutor([handler = std::move(handler)] {
            if (handler) handler({}, false, "The connection is not open");
          });
        };
        return;
      }
      startRead(maximumLength, std::move(handler));
    });
  }

  void send(Bytes content, SendCompletion completion) override {
    onExecutor([this, content = std::move(content), completion = std::move(completion)]() mutable {
      if (phase_ != Phase::ready) {
        postToExecutor([completion = std::move(completion)] {
          if (completion) completion("The connection is not open");
        });
        return;
      }
      outbox_.push_back(Outgoing{std::move(content), std::move(completion)});
      if (!delivering_) writeWaiting();
    });
  }

  void cancel() override {
    onExecutor([this] { finish(ConnectionState::cancelled, {}); });
  }

  std::optional<Endpoint> remoteEndpoint() const override {
    std::lock_guard lock(endpointsMutex_);
    return remote_;
  }
  std::optional<Endpoint> localEndpoint() const override {
    std::lock_guard lock(endpointsMutex_);
    return local_;
  }

 protected:
  enum class Phase { idle, starting, ready, closed };

  template <class... Args>
  explicit AsioStreamConnection(Args&&... streamArgs) : stream_(std::forward<Args>(streamArgs)...) {}

  // Runs `work` on the executor: at once when called there, posted otherwise. The
  // connection stays alive until `work` has run.
  template <class F>
  void onExecutor(F work) {
    asio::dispatch(stream_.get_executor(), [self = this->shared_from_this(), work = std::move(work)]() mutable { work(); });
  }
  template <class F>
  void postToExecutor(F work) {
    asio::post(stream_.get_executor(), std::move(work));
  }

  void recordEndpoints() {
    asio::error_code remoteError;
    asio::error_code localError;
    const auto remote = stream_.lowest_layer().remote_endpoint(remoteError);
    const auto local = stream_.lowest_layer().local_endpoint(localError);
    std::lock_guard lock(endpointsMutex_);
    if (!remoteError) remote_ = toEndpoint(remote);
    if (!localError) local_ = toEndpoint(local);
  }

  void becomeReady() {
    phase_ = Phase::ready;
    recordEndpoints();
    // A copy: the handler may replace itself while it runs.
    if (StateHandler handler = stateHandler_) handler(ConnectionState::ready, {});
  }

  // Closes the socket at once (no TLS close_notify: nothing may block the queue,
  // and a peer that stopped reading would hold it) and reports `state` afterwards.
  void finish(ConnectionState state, std::string error) {
    if (phase_ == Phase::closed) return;
    // Answers held while a chunk is handed over (a pong, then a frame that ends the
    // connection) start on their way before the close, as they would have unheld.
    if (delivering_ && writing_ == 0 && !outbox_.empty()) writeFront();
    phase_ = Phase::closed;
    asio::error_code ignored;  // a failed close leaves nothing more to do
    stream_.lowest_layer().close(ignored);
    onClose();
    postToExecutor([this, self = this->shared_from_this(), state, error = std::move(error)] {
      stateDone_ = true;
      StateHandler handler = std::move(stateHandler_);
      stateHandler_ = nullptr;
      if (handler) handler(state, error);
    });
  }

  virtual bool isEndOfStream(const asio::error_code& ec) const { return ec == asio::error::eof; }
  virtual void onClose() {}

  Stream stream_;
  Phase phase_ = Phase::idle;

 private:
  struct Outgoing {
    Bytes content;
    SendCompletion completion;
  };

  void startRead(std::size_t maximumLength, ReceiveHandler handler) {
    // A TLS record carries at most 16 KiB, so one read never yields more: a larger
    // buffer would only cost every open connection memory it never uses.
    readBuffer_.resize(std::clamp<std::size_t>(maximumLength, 1, maxChunk));
    stream_.async_read_some(
        asio::buffer(readBuffer_),
        [this, self = this->shared_from_this(), handler = std::move(handler)](const asio::error_code& ec,
                                                                              std::size_t count) {
          receiving_ = false;
          Bytes data(readBuffer_.begin(), readBuffer_.begin() + static_cast<std::ptrdiff_t>(count));
          if (!ec || isEndOfStream(ec)) {
            // What the handler sends in answer to this chunk (a pong for each of several
            // pings, say) is held until it returns, then written in one go.
            delivering_ = true;
            try {
              if (handler) handler(std::move(data), static_cast<bool>(ec), std::nullopt);
            } catch (...) {
              // The queue reports the failure and goes on; this connection must not be
              // left holding its sends.
              endDelivery();
              throw;
            }
            endDelivery();
            return;
          }
          const std::string error = ec.message();
          if (handler) handler(std::move(data), false, error);
          // A broken stream ends the connection (after cancel() it is closed already).
          finish(ConnectionState::failed, error);
        });
  }

  // After a chunk was handed over: what was sent meanwhile goes out, then the receive
  // asked for meanwhile starts.
  void endDelivery() {
    delivering_ = false;
    writeWaiting();
    if (auto read = std::exchange(deferredRead_, nullptr)) read();
  }

  // Starts writing what waits, unless a write is under way (its end starts the next).
  void writeWaiting() {
    if (writing_ > 0 || outbox_.empty()) return;
    if (phase_ != Phase::ready) {
      failAllSends("The connection is closed", false);
      return;
    }
    writeFront();
  }

  // Writes everything waiting in one go: answers to the frames of one read (a burst of
  // pings, say) leave in one TLS write and one system call instead of one each. The
  // first send after a quiet moment is written at once, so a lone answer waits for
  // nothing.
  void writeFront() {
    writing_ = outbox_.size();
    asio::const_buffer data = asio::buffer(outbox_.front().content);
    if (writing_ > 1) {
      joined_.clear();
      for (const Outgoing& item : outbox_) joined_.insert(joined_.end(), item.content.begin(), item.content.end());
      data = asio::buffer(joined_);
    }
    asio::async_write(stream_, data, [this, self = this->shared_from_this()](const asio::error_code& ec, std::size_t) {
      if (ec) {
        failAllSends(ec.message(), true);
        return;
      }
      // The written items keep their places until their completions have run, so a
      // send() made from a completion queues behind them instead of starting a second
      // write.
      for (std::size_t i = 0; i < writing_; ++i) {
        SendCompletion completion = std::move(outbox_[i].completion);
        if (completion) completion(std::nullopt);
      }
      outbox_.erase(outbox_.begin(), outbox_.begin() + static_cast<std::ptrdiff_t>(writing_));
      writing_ = 0;
      // A long-lived connection keeps no buffer of its largest burst.
      if (joined_.capacity() > maxChunk) Bytes().swap(joined_);
      writeWaiting();
    });
  }

  void failAllSends(const std::string& error, bool endsConnection) {
    std::deque<Outgoing> failed;
    failed.swap(outbox_);
    writing_ = 0;
    if (endsConnection) finish(ConnectionState::failed, error);
    for (auto& item : failed) {
      if (item.completion) item.completion(error);
    }
  }

  const PeerID id_ = nextPeerID();
  StateHandler stateHandler_;
  bool stateDone_ = false;
  bool receiving_ = false;
  static constexpr std::size_t maxChunk = 16 * 1024;
  std::size_t writing_ = 0;  // items at the front of outbox_ in the write under way; 0: none
  bool delivering_ = false;  // a received chunk is being handed over
  std::function<void()> deferredRead_;  // a receive asked for meanwhile
  Bytes joined_;             // their contents, when more than one
  std::vector<std::uint8_t> readBuffer_;
  std::deque<Outgoing> outbox_;
  mutable std::mutex endpointsMutex_;
  std::optional<Endpoint> remote_;
  std::optional<Endpoint> local_;
};

}  // namespace orvane
