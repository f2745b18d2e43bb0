#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/ssl/stream.hpp>

#include "phone_state.hpp"
#include "wire/envelope.hpp"
#include "wire/framing.hpp"
#include "tls_pin.hpp"

namespace orvane::phone {

// One TLS connection to the computer, spoken from the phone's side: it opens with a
// pairing request, an authentication or nothing at all, prints every envelope that
// arrives, answers what a phone must answer (ping with pong, message and url_share
// with ack) and carries out the commands typed on standard input.
//
// Everything runs on the one thread of the io_context; nothing here needs a lock.
class PhoneSession : public std::enable_shared_from_this<PhoneSession> {
 public:
  enum class Greeting { none, pairRequest, authenticate };

  struct Settings {
    std::string host;
    std::uint16_t port = 17431;
    std::optional<Bytes> pin;  // none: accept any certificate
    Greeting greeting = Greeting::none;
    Body greetingBody;
    // The credential: saved after a pairing, read for `authenticate` and `forget`,
    // deleted when the computer confirms or revokes the forgetting.
    std::optional<std::filesystem::path> statePath;
    std::optional<PhoneState> state;
    bool exitAfterPair = false;
  };

  // `finish` is called once, with the exit status, when the session is over.
  static std::shared_ptr<PhoneSession> make(asio::io_context& io, Settings settings, std::function<void(int)> finish);

  void start();
  // One line from standard input; lines that come before the connection is up wait.
  void handleLine(const std::string& line);

 private:
  PhoneSession(asio::io_context& io, Settings settings, std::function<void(int)> finish);

  void connectTo(const asio::ip::tcp::resolver::results_type& addresses);
  void onHandshake(const asio::error_code& ec);
  void onConnected();
  void readMore();
  void drainFrames();
  void onEnvelope(const Envelope& envelope);
  void onPairApproved(const Envelope& envelope);
  void onAuthOk(const Envelope& envelope);
  void onForgotten(const char* by);
  void runCommand(const std::string& line);

  void sendEnvelope(const Envelope& envelope, std::function<void()> afterWrite = {});
  void write(Bytes bytes, std::function<void()> afterWrite = {});
  void writeFront();

  void connectionEnded(std::optional<std::string> error);
  void end(int status);

  Settings settings_;
  std::function<void(int)> finish_;
  TlsPin tls_;
  asio::ip::tcp::resolver resolver_;
  asio::ssl::stream<asio::ip::tcp::socket> stream_;
  Framing::Buffer frames_;
  std::array<std::uint8_t, 16384> readBuffer_{};

  struct Outgoing {
    Bytes bytes;
    std::function<void()> afterWrite;
  };
  std::deque<Outgoing> outbox_;  // the front is being written when not empty

  bool ready_ = false;
  bool ended_ = false;
  bool refusedByComputer_ = false;  // pair_denied or auth_failed arrived
  bool autoAck_ = true;             // acknowledge message and url_share by itself
  std::vector<std::string> earlyLines_;
};

}  // namespace orvane::phone
