#include "phone_options.hpp"

#include <cmath>
#include <set>

#include "base/text.hpp"

namespace orvane::phone {

namespace {

using Command = PhoneOptions::Command;

// Which options each command takes, so that a misplaced one is refused instead of
// being ignored.
const std::set<std::string>& allowed(Command command) {
  static const std::set<std::string> pair{"--qr", "--name", "--device-id", "--host", "--port", "--exit-after-pair"};
  static const std::set<std::string> connect{"--host", "--port"};
  static const std::set<std::string> probe{"--qr", "--pin", "--insecure", "--host", "--port"};
  static const std::set<std::string> listen{"--port", "--bind", "--once"};
  static const std::set<std::string> none;
  switch (command) {
    case Command::pair: return pair;
    case Command::connect: return connect;
    case Command::probe: return probe;
    case Command::listenNudge: return listen;
    case Command::help: return none;
  }
  return none;
}

std::optional<Command> commandNamed(const std::string& word) {
  if (word == "pair") return Command::pair;
  if (word == "connect") return Command::connect;
  if (word == "probe") return Command::probe;
  if (word == "listen-nudge") return Command::listenNudge;
  if (word == "help") return Command::help;
  return std::nullopt;
}

}  // namespace

expected<PhoneOptions, std::string> PhoneOptions::parse(const std::vector<std::string>& args) {
  PhoneOptions o;
  std::optional<Command> command;
  std::vector<std::string> given;  // command options in the order they came

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> expected<std::string, std::string> {
      if (i + 1 >= args.size()) return unexpected(a + " needs a value");
      return args[++i];
    };
    if (a == "--help" || a == "-h") {
      o.command = Command::help;
      return o;
    }
    if (a.rfind("--", 0) != 0) {
      if (command) return unexpected("only one command may be given; \"" + a + "\" is a second");
      command = commandNamed(a);
      if (!command) return unexpected("unknown command: " + a);
      continue;
    }

    const bool takesValue = a != "--insecure" && a != "--exit-after-pair" && a != "--once";
    std::string v;
    if (takesValue) {
      auto got = value();
      if (!got) return unexpected(got.error());
      v = std::move(*got);
    }
    if (a == "--state") {
      o.statePath = v;
    } else if (a == "--timeout") {
      char* end = nullptr;
      const double seconds = std::strtod(v.c_str(), &end);
      if (v.empty() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0)
        return unexpected("--timeout needs a positive number of seconds, not " + v);
      o.timeoutSeconds = seconds;
    } else {
      given.push_back(a);
      if (a == "--qr") {
        o.qr = v;
      } else if (a == "--name") {
        if (v.empty()) return unexpected(std::string("--name may not be empty"));
        o.name = v;
      } else if (a == "--device-id") {
        if (v.empty()) return unexpected(std::string("--device-id may not be empty"));
        o.deviceID = v;
      } else if (a == "--host") {
        o.host = v;
      } else if (a == "--port") {
        const auto port = text::parseInt64(v);
        if (!port || *port < 0 || *port > 65535) return unexpected("--port needs a port number, not " + v);
        o.port = static_cast<std::uint16_t>(*port);
      } else if (a == "--pin") {
        o.pinB64 = v;
      } else if (a == "--bind") {
        o.bind = v;
      } else if (a == "--insecure") {
        o.insecure = true;
      } else if (a == "--exit-after-pair") {
        o.exitAfterPair = true;
      } else if (a == "--once") {
        o.once = true;
      } else {
        return unexpected("unknown option: " + a);
      }
    }
  }

  if (!command) return unexpected(std::string("no command given"));
  o.command = *command;
  for (const auto& option : given) {
    if (!allowed(o.command).contains(option)) return unexpected(option + " does not apply to this command");
  }
  const bool needsState = o.command == Command::pair || o.command == Command::connect || o.command == Command::listenNudge;
  if (needsState && !o.statePath) return unexpected(std::string("this command needs --state FILE"));
  if (o.command == Command::pair && !o.qr) return unexpected(std::string("pair needs --qr 'ZEL1|...'"));
  if (o.port == 0 && o.command != Command::listenNudge) return unexpected(std::string("--port 0 is not a port to connect to"));
  if (o.insecure && o.pinB64) return unexpected(std::string("--insecure and --pin exclude each other"));
  return o;
}

std::string PhoneOptions::usage() {
  return R"(Usage: orvane-phone [--state FILE] [--timeout SECONDS] COMMAND [OPTIONS]

A reference phone for Orvane: speaks the phone's side of the wire protocol, prints
every event as one JSON line on standard output, and takes commands on standard input.

Commands:
  pair --qr 'ZEL1|ip=...|port=...|pin=...|tok=...|exp=...' [--host H] [--port P]
       [--name NAME] [--device-id ID] [--exit-after-pair]
      Connects to the computer named in the QR text (--host and --port override its
      ip and port), trusts only the certificate whose SHA-256 equals the QR pin, and
      sends pair_request with a new 32-byte phone token and the device id (a new one
      unless given; the name defaults to "orvane-phone"). On pair_approved it saves
      the pairing to the state file (mode 0600, replacing what it held) and stays in
      the session, or ends with --exit-after-pair.
  connect [--host H] [--port P]
      Connects with the saved pin to the saved host and port, sends authenticate with
      the saved device id and phone token, and runs the session.
  probe [--qr TEXT | --pin BASE64 | --insecure] [--host H] [--port P]
      Connects without pairing or authenticating and runs the session, to see what an
      unknown phone is allowed. The pin comes from --pin, else the QR text, else the
      state file; --insecure accepts any certificate. The host and port come from the
      options, else the QR text, else the state file, else 127.0.0.1:17431.
  listen-nudge [--port 17432] [--bind ADDR] [--once]
      Listens on plain TCP (every address unless --bind) for reconnect nudges. Each
      connection's first line is checked against the state file (device id, and the
      HMAC keyed with the SHA-256 of the phone token) and printed as
      {"event":"nudge","valid":true|false,"deviceID":...,"stamp":...,"from":...}
      with a "reason" when invalid (malformed, unknown_device, bad_mac, incomplete).
      --once ends after the first nudge. Nothing is connected back.
  help
      Shows this text.

Options for every command:
  --state FILE       the phone's pairing (JSON: deviceID, phoneToken, pinB64, host,
                     port, macName, discoveryToken); needed by pair, connect and
                     listen-nudge
  --timeout SECONDS  end with status 3 if the command has not finished by then

Session commands on standard input, one per line (pair, connect and probe):
  send TYPE [JSON]   sends an envelope of TYPE with the JSON object of strings as its
                     body (default {}), e.g. send notif_post {"id":"1","app":"chat"}
  raw HEX            writes the bytes as they are (frames of any shape, or none)
  auto-ack on|off    whether message and url_share are acknowledged by themselves
                     (on at the start; off to acknowledge late, with send ack, or never)
  forget             sends forget_device with the saved device id; on forget_done the
                     state file is deleted
  disconnect         sends disconnect and ends with status 0
  quit               closes the connection and ends with status 0
Lines typed before the connection is up wait for it; the end of input ends nothing.

The session prints, one JSON object per line:
  {"event":"connected","host":...,"port":...,"tls":...,"pin":...,"pinChecked":...}
  {"event":"sent","type":...,"id":...,"body":{...}}     every envelope sent
  {"event":"sentRaw","bytes":N}
  {"event":"received","type":...,"id":...,"body":{...}} every envelope received
  {"event":"invalidEnvelope","reason":...,"payload":...}
  {"event":"paired","deviceID":...,"macName":...,"discoveryToken":...,"stateFile":...}
  {"event":"authenticated","deviceID":...,"macName":...,"discoveryToken":...}
  {"event":"forgotten","by":"phone"|"computer",...}   after forget_done or pairing_revoked
  {"event":"closed"}                                  the computer closed the connection
  {"event":"timeout","seconds":...}                   --timeout passed (any command)
It answers ping with pong and every message and url_share with ack {"ack_for": id}
(unless auto-ack is off).

Exit status:
  0   finished: quit, disconnect, --exit-after-pair, --once, or the computer closed
  1   could not connect, TLS failed, or a bad QR text or state file
  3   --timeout passed
  4   the computer refused: pair_denied or auth_failed, then closed
  5   the computer's certificate does not match the pin; nothing was sent
  64  the command line is wrong
)";
}

}  // namespace orvane::phone
