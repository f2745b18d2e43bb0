#pragma once

#include <memory>
#include <optional>
#include <string>

#include <asio/ssl/context.hpp>

#include "base/bytes.hpp"

typedef struct ssl_st SSL;

namespace orvane::phone {

// The client side of TLS as a phone speaks it: TLS 1.2 or later, and trust by pinning
// instead of by certificate authorities. The computer's certificate is self-signed,
// so the only thing that can vouch for it is the SHA-256 of its DER that the QR code
// carried; any other leaf certificate fails the handshake.
class TlsPin {
 public:
  // `pin` none: accept any certificate (for probing a computer whose pin is unknown).
  explicit TlsPin(std::optional<Bytes> pin);

  asio::ssl::context& context() { return context_; }

  // After a handshake: whether the leaf certificate presented matches the pin (always
  // true without a pin), and its SHA-256 in base64 for messages.
  bool matches(SSL* ssl) const;
  static std::optional<std::string> presentedPinB64(SSL* ssl);

  // Set while verifying when the presented leaf's SHA-256 differed from the pin: that
  // SHA-256 in base64, for the message that explains the refusal.
  const std::optional<std::string>& refusedPinB64() const { return *refused_; }

 private:
  std::optional<Bytes> pin_;
  std::shared_ptr<std::optional<std::string>> refused_ = std::make_shared<std::optional<std::string>>();
  asio::ssl::context context_;
};

}  // namespace orvane::phone
