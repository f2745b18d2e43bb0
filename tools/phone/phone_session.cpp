#include "phone_session.hpp"

#include <openssl/ssl.h>

#include <asio/connect.hpp>

#include <asio/ssl/error.hpp>
#include <asio/write.hpp>

#include "base/codec.hpp"
#include "event_line.hpp"
#include "exit_status.hpp"
#include "session_command.hpp"
#include "platform/linux/net/socket_tuning.hpp"

namespace orvane::phone {

namespace {

Event bodyJson(const Body& body) {
  Event json = Event::object();
  for (const auto& [key, value] : body) json[key] = value;
  return json;
}

std::string where(const std::string& host, std::uint16_t port) { return host + ":" + std::to_string(port); }

}  // namespace

std::shared_ptr<PhoneSession> PhoneSession::make(asio::io_context& io, Settings settings, std::function<void(int)> finish) {
  return std::shared_ptr<PhoneSession>(new PhoneSession(io, std::move(settings), std::move(finish)));
}

PhoneSession::PhoneSession(asio::io_context& io, Settings settings, std::function<void(int)> finish)
    : settings_(std::move(settings)),
      finish_(std::move(finish)),
      tls_(settings_.pin),
      resolver_(io),
      stream_(io, tls_.context()) {}

void PhoneSession::start() {
  auto self = shared_from_this();
  resolver_.async_resolve(settings_.host, std::to_string(settings_.port),
                          [self](const asio::error_code& ec, asio::ip::tcp::resolver::results_type results) {
                            if (ec) {
                              printNote("cannot resolve " + self->settings_.host + ": " + ec.message());
                              self->end(ExitStatus::failure);
                              return;
                            }
                            self->connectTo(results);
                          });
}

void PhoneSession::connectTo(const asio::ip::tcp::resolver::results_type& addresses) {
  auto self = shared_from_this();
  asio::async_connect(stream_.lowest_layer(), addresses, [self](const asio::error_code& ec, const asio::ip::tcp::endpoint&) {
    if (ec) {
      printNote("cannot connect to " + where(self->settings_.host, self->settings_.port) + ": " + ec.message());
      self->end(ExitStatus::failure);
      return;
    }
    sendFramesAtOnce(self->stream_.next_layer());
    self->stream_.async_handshake(asio::ssl::stream_base::client,
                                  [self](const asio::error_code& ec) { self->onHandshake(ec); });
  });
}

void PhoneSession::onHandshake(const asio::error_code& ec) {
  if (ec && tls_.refusedPinB64()) {
    printNote("refusing the computer at " + where(settings_.host, settings_.port) + ": its certificate (SHA-256 " +
              *tls_.refusedPinB64() + ") does not match the pin " + codec::base64Encode(*settings_.pin));
    end(ExitStatus::pinMismatch);
    return;
  }
  if (ec) {
    printNote("TLS handshake with " + where(settings_.host, settings_.port) + " failed: " + ec.message());
    end(ExitStatus::failure);
    return;
  }
  onConnected();
}

void PhoneSession::onConnected() {
  SSL* ssl = stream_.native_handle();
  // The verify callback has judged the leaf already; this check stands on its own in
  // case a handshake ever completes without the callback seeing depth 0.
  if (!tls_.matches(ssl)) {
    printNote("refusing the computer at " + where(settings_.host, settings_.port) +
              ": its certificate does not match the pin " + codec::base64Encode(*settings_.pin));
    end(ExitStatus::pinMismatch);
    return;
  }
  const auto presented = TlsPin::presentedPinB64(ssl);
  printEvent({{"event", "connected"},
              {"host", settings_.host},
              {"port", settings_.port},
              {"tls", SSL_get_version(ssl)},
              {"pin", presented ? Event(*presented) : Event(nullptr)},
              {"pinChecked", settings_.pin.has_value()}});
  ready_ = true;
  readMore();

  if (settings_.greeting == Greeting::pairRequest) {
    sendEnvelope(Envelope::make("pair_request", settings_.greetingBody));
  } else if (settings_.greeting == Greeting::authenticate) {
    sendEnvelope(Envelope::make("authenticate", settings_.greetingBody));
  }
  auto early = std::move(earlyLines_);
  earlyLines_.clear();
  for (const auto& line : early) {
    if (ended_) return;
    runCommand(line);
  }
}

void PhoneSession::readMore() {
  auto self = shared_from_this();
  stream_.async_read_some(asio::buffer(readBuffer_), [self](const asio::error_code& ec, std::size_t count) {
    if (self->ended_) return;
    if (count > 0) {
      self->frames_.append(self->readBuffer_.data(), count);
      self->drainFrames();
      if (self->ended_) return;
    }
    if (ec) {
      // The computer closes without a TLS close_notify, which OpenSSL reports as a
      // truncated stream; that is its normal way of ending a connection.
      const bool clean = ec == asio::error::eof || ec == asio::ssl::error::stream_truncated;
      self->connectionEnded(clean ? std::nullopt : std::optional<std::string>(ec.message()));
      return;
    }
    self->readMore();
  });
}

void PhoneSession::drainFrames() {
  while (!ended_) {
    auto frame = frames_.popFrame();
    if (!frame) {
      printEvent({{"event", "invalidFrame"}, {"length", frame.error().invalidLength}});
      printNote("the computer sent a frame with the impossible length " + std::to_string(frame.error().invalidLength) +
                "; closing");
      end(ExitStatus::failure);
      return;
    }
    if (!*frame) return;
    auto envelope = Envelope::parse(**frame);
    if (!envelope) {
      printEvent({{"event", "invalidEnvelope"}, {"reason", envelope.error().reason}, {"payload", toString(**frame)}});
      continue;
    }
    onEnvelope(*envelope);
  }
}

void PhoneSession::onEnvelope(const Envelope& envelope) {
  printEvent({{"event", "received"}, {"type", envelope.type}, {"id", envelope.id}, {"body", bodyJson(envelope.body)}});
  const std::string& type = envelope.type;
  if (type == "ping") {
    sendEnvelope(Envelope::make("pong"));
  } else if (type == "message" || type == "url_share") {
    if (autoAck_) sendEnvelope(Envelope::make("ack", {{"ack_for", envelope.id}}));
  } else if (type == "pair_approved") {
    onPairApproved(envelope);
  } else if (type == "auth_ok") {
    onAuthOk(envelope);
  } else if (type == "pair_denied" || type == "auth_failed") {
    // The computer closes the connection after these; the exit status tells the refusal.
    refusedByComputer_ = true;
  } else if (type == "forget_done") {
    onForgotten("phone");
  } else if (type == "pairing_revoked") {
    onForgotten("computer");
  }
}

void PhoneSession::onPairApproved(const Envelope& envelope) {
  if (settings_.greeting != Greeting::pairRequest || !settings_.state || !settings_.statePath) return;
  PhoneState& state = *settings_.state;
  if (auto id = envelope.get("device_id"); id && *id != state.deviceID)
    printNote("the approval names the device " + std::string(*id) + ", not " + state.deviceID);
  state.macName = std::string(envelope.get("mac_name").value_or(""));
  if (auto code = envelope.get("discovery_token")) state.discoveryToken = std::string(*code);
  if (auto saved = state.save(*settings_.statePath); !saved) {
    printNote("paired, but the state file cannot be written: " + saved.error());
    end(ExitStatus::failure);
    return;
  }
  printEvent({{"event", "paired"},
              {"deviceID", state.deviceID},
              {"macName", state.macName},
              {"discoveryToken", state.discoveryToken ? Event(*state.discoveryToken) : Event(nullptr)},
              {"stateFile", settings_.statePath->string()}});
  if (settings_.exitAfterPair) end(ExitStatus::ok);
}

void PhoneSession::onAuthOk(const Envelope& envelope) {
  Event event{{"event", "authenticated"}};
  if (settings_.state) {
    PhoneState& state = *settings_.state;
    state.macName = std::string(envelope.get("mac_name").value_or(state.macName));
    if (auto code = envelope.get("discovery_token")) state.discoveryToken = std::string(*code);
    // The computer's name and discovery code may have changed since the pairing.
    if (settings_.statePath) {
      if (auto saved = state.save(*settings_.statePath); !saved) printNote("cannot update the state file: " + saved.error());
    }
    event["deviceID"] = state.deviceID;
  }
  event["macName"] = std::string(envelope.get("mac_name").value_or(""));
  const auto code = envelope.get("discovery_token");
  event["discoveryToken"] = code ? Event(std::string(*code)) : Event(nullptr);
  printEvent(event);
}

void PhoneSession::onForgotten(const char* by) {
  Event event{{"event", "forgotten"}, {"by", by}};
  if (settings_.statePath) {
    if (auto removed = PhoneState::remove(*settings_.statePath); !removed) {
      printNote(removed.error());
    } else {
      event["stateFileDeleted"] = settings_.statePath->string();
    }
  }
  settings_.state.reset();
  printEvent(event);
}

void PhoneSession::handleLine(const std::string& line) {
  if (ended_) return;
  if (line.find_first_not_of(" \t\r") == std::string::npos) return;
  if (!ready_) {
    earlyLines_.push_back(line);
    return;
  }
  runCommand(line);
}

void PhoneSession::runCommand(const std::string& line) {
  auto command = SessionCommand::parse(line);
  if (!command) {
    printNote(command.error());
    return;
  }
  std::visit(
      [this](auto& c) {
        using C = std::decay_t<decltype(c)>;
        if constexpr (std::is_same_v<C, SessionCommand::Send>) {
          sendEnvelope(Envelope::make(c.type, c.body));
        } else if constexpr (std::is_same_v<C, SessionCommand::Raw>) {
          printEvent({{"event", "sentRaw"}, {"bytes", c.bytes.size()}});
          write(std::move(c.bytes));
        } else if constexpr (std::is_same_v<C, SessionCommand::AutoAck>) {
          autoAck_ = c.on;
        } else if constexpr (std::is_same_v<C, SessionCommand::Forget>) {
          Body body;
          if (settings_.state) body["device_id"] = settings_.state->deviceID;
          sendEnvelope(Envelope::make("forget_device", std::move(body)));
        } else if constexpr (std::is_same_v<C, SessionCommand::Disconnect>) {
          auto self = shared_from_this();
          sendEnvelope(Envelope::make("disconnect"), [self] { self->end(ExitStatus::ok); });
        } else {
          end(ExitStatus::ok);
        }
      },
      *command);
}

void PhoneSession::sendEnvelope(const Envelope& envelope, std::function<void()> afterWrite) {
  auto frame = Framing::encode(envelope.encode());
  if (!frame) {
    printNote("the " + envelope.type + " envelope is larger than a frame may be; not sent");
    return;
  }
  printEvent({{"event", "sent"}, {"type", envelope.type}, {"id", envelope.id}, {"body", bodyJson(envelope.body)}});
  write(std::move(*frame), std::move(afterWrite));
}

void PhoneSession::write(Bytes bytes, std::function<void()> afterWrite) {
  if (ended_) return;
  outbox_.push_back(Outgoing{std::move(bytes), std::move(afterWrite)});
  // An SSL stream cannot interleave two writes: the next starts when this one is done.
  if (outbox_.size() == 1) writeFront();
}

void PhoneSession::writeFront() {
  auto self = shared_from_this();
  asio::async_write(stream_, asio::buffer(outbox_.front().bytes), [self](const asio::error_code& ec, std::size_t) {
    if (self->ended_) return;
    if (ec) {
      self->connectionEnded(ec.message());
      return;
    }
    // The written item keeps its place while its follow-up runs, so that a write()
    // made from there queues behind it instead of starting a second write.
    auto after = std::move(self->outbox_.front().afterWrite);
    if (after) after();
    if (self->ended_) return;
    self->outbox_.pop_front();
    if (!self->outbox_.empty()) self->writeFront();
  });
}

void PhoneSession::connectionEnded(std::optional<std::string> error) {
  if (ended_) return;
  Event event{{"event", "closed"}};
  if (error) event["error"] = *error;
  printEvent(event);
  end(refusedByComputer_ ? ExitStatus::refused : ExitStatus::ok);
}

void PhoneSession::end(int status) {
  if (ended_) return;
  ended_ = true;
  asio::error_code ignored;  // the process ends next; a failed close changes nothing
  stream_.lowest_layer().close(ignored);
  resolver_.cancel();
  if (finish_) finish_(status);
}

}  // namespace orvane::phone
