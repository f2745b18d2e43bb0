#include "phone_commands.hpp"

#include "base/codec.hpp"
#include "base/crypto.hpp"
#include "exit_status.hpp"
#include "pairing/qr_payload.hpp"

namespace orvane::phone {

namespace {

constexpr std::uint16_t computerPort = 17431;
constexpr std::size_t phoneTokenBytes = 32;
constexpr std::size_t pinBytes = 32;

unexpected<StartFailure> failed(std::string message, int status = ExitStatus::failure) {
  return unexpected(StartFailure{status, std::move(message)});
}

expected<Bytes, StartFailure> decodePin(const std::string& pinB64, const std::string& source) {
  auto pin = codec::base64Decode(pinB64);
  if (!pin || pin->size() != pinBytes) return failed("the pin from " + source + " is not the base64 of a 32-byte SHA-256");
  return *pin;
}

expected<StartedCommand, StartFailure> startSession(PhoneSession::Settings settings, asio::io_context& io,
                                                    std::function<void(int)> finish) {
  auto session = PhoneSession::make(io, std::move(settings), std::move(finish));
  session->start();
  return StartedCommand{session, nullptr};
}

expected<StartedCommand, StartFailure> startPair(const PhoneOptions& o, asio::io_context& io, std::function<void(int)> finish) {
  auto qr = QrPayload::parse(*o.qr);
  if (!qr) return failed(qr.error());
  const auto token = crypto::secureRandom(phoneTokenBytes);
  if (!token) return failed("the system's secure random source failed");

  PhoneState state;
  state.deviceID = o.deviceID.value_or(crypto::uuidString());
  state.phoneToken = codec::base64urlEncode(*token);
  state.pinB64 = codec::base64Encode(qr->pin);
  state.host = o.host.value_or(qr->ip);
  state.port = o.port.value_or(qr->port);
  if (state.host.empty()) return failed("the QR text names no address (ip is empty); give --host");

  PhoneSession::Settings settings;
  settings.host = state.host;
  settings.port = state.port;
  settings.pin = qr->pin;
  settings.greeting = PhoneSession::Greeting::pairRequest;
  settings.greetingBody = {{"invitation_token", qr->token},
                           {"device_id", state.deviceID},
                           {"device_name", o.name.value_or("orvane-phone")},
                           {"phone_token", state.phoneToken}};
  settings.statePath = *o.statePath;
  settings.state = std::move(state);
  settings.exitAfterPair = o.exitAfterPair;
  return startSession(std::move(settings), io, std::move(finish));
}

expected<StartedCommand, StartFailure> startConnect(const PhoneOptions& o, asio::io_context& io,
                                                    std::function<void(int)> finish) {
  auto state = PhoneState::load(*o.statePath);
  if (!state) return failed(state.error());
  auto pin = decodePin(state->pinB64, "the state file");
  if (!pin) return unexpected(pin.error());
  if (o.host) state->host = *o.host;
  if (o.port) state->port = *o.port;

  PhoneSession::Settings settings;
  settings.host = state->host;
  settings.port = state->port;
  settings.pin = *pin;
  settings.greeting = PhoneSession::Greeting::authenticate;
  settings.greetingBody = {{"device_id", state->deviceID}, {"phone_token", state->phoneToken}};
  settings.statePath = *o.statePath;
  settings.state = std::move(*state);
  return startSession(std::move(settings), io, std::move(finish));
}

expected<StartedCommand, StartFailure> startProbe(const PhoneOptions& o, asio::io_context& io,
                                                  std::function<void(int)> finish) {
  std::optional<QrPayload> qr;
  if (o.qr) {
    auto parsed = QrPayload::parse(*o.qr);
    if (!parsed) return failed(parsed.error());
    qr = std::move(*parsed);
  }
  std::optional<PhoneState> state;
  if (o.statePath) {
    auto loaded = PhoneState::load(*o.statePath);
    if (!loaded) return failed(loaded.error());
    state = std::move(*loaded);
  }

  PhoneSession::Settings settings;
  if (o.pinB64) {
    auto pin = decodePin(*o.pinB64, "--pin");
    if (!pin) return unexpected(pin.error());
    settings.pin = *pin;
  } else if (qr) {
    settings.pin = qr->pin;
  } else if (state) {
    auto pin = decodePin(state->pinB64, "the state file");
    if (!pin) return unexpected(pin.error());
    settings.pin = *pin;
  } else if (!o.insecure) {
    return failed("probe needs a pin: --pin, --qr or --state, or --insecure to accept any certificate", ExitStatus::usage);
  }
  if (o.insecure) settings.pin.reset();

  if (o.host) {
    settings.host = *o.host;
  } else if (qr && !qr->ip.empty()) {
    settings.host = qr->ip;
  } else if (state) {
    settings.host = state->host;
  } else {
    settings.host = "127.0.0.1";
  }
  settings.port = o.port ? *o.port : qr ? qr->port : state ? state->port : computerPort;
  settings.greeting = PhoneSession::Greeting::none;
  if (o.statePath) settings.statePath = *o.statePath;
  settings.state = std::move(state);
  return startSession(std::move(settings), io, std::move(finish));
}

expected<StartedCommand, StartFailure> startListenNudge(const PhoneOptions& o, asio::io_context& io,
                                                        std::function<void(int)> finish) {
  auto state = PhoneState::load(*o.statePath);
  if (!state) return failed(state.error());
  auto check = NudgeCheck::from(*state);
  if (!check) return failed(check.error());
  NudgeListener::Settings settings{o.bind.value_or(""), o.port.value_or(NudgeListener::Settings{}.port), o.once};
  auto listener = NudgeListener::make(io, std::move(settings), std::move(*check), std::move(finish));
  if (!listener) return failed(listener.error());
  (*listener)->start();
  return StartedCommand{nullptr, *listener};
}

}  // namespace

expected<StartedCommand, StartFailure> startCommand(const PhoneOptions& options, asio::io_context& io,
                                                    std::function<void(int)> finish) {
  switch (options.command) {
    case PhoneOptions::Command::pair: return startPair(options, io, std::move(finish));
    case PhoneOptions::Command::connect: return startConnect(options, io, std::move(finish));
    case PhoneOptions::Command::probe: return startProbe(options, io, std::move(finish));
    case PhoneOptions::Command::listenNudge: return startListenNudge(options, io, std::move(finish));
    case PhoneOptions::Command::help: break;
  }
  return failed("no command to start", ExitStatus::usage);
}

}  // namespace orvane::phone
