#include "tls_pin.hpp"

#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <asio/ssl/verify_context.hpp>

#include "base/codec.hpp"
#include "base/crypto.hpp"
#include "pairing/server_rules.hpp"

namespace orvane::phone {

namespace {

std::optional<Bytes> fingerprint(X509* cert) {
  if (!cert) return std::nullopt;
  unsigned char* der = nullptr;
  const int length = i2d_X509(cert, &der);
  if (length <= 0) return std::nullopt;
  Bytes bytes(der, der + length);
  OPENSSL_free(der);
  return crypto::sha256(bytes);
}

}  // namespace

TlsPin::TlsPin(std::optional<Bytes> pin) : pin_(std::move(pin)), context_(asio::ssl::context::tls_client) {
  SSL_CTX_set_min_proto_version(context_.native_handle(), TLS1_2_VERSION);
  if (!pin_) {
    context_.set_verify_mode(asio::ssl::verify_none);
    return;
  }
  context_.set_verify_mode(asio::ssl::verify_peer);
  // Called for every certificate of the chain and every problem found with it. Only
  // the leaf (depth 0) is judged, and only by its pin: a self-signed certificate is
  // never "preverified", and no authority is consulted.
  context_.set_verify_callback([pin = *pin_, refused = refused_](bool, asio::ssl::verify_context& vc) {
    X509_STORE_CTX* store = vc.native_handle();
    if (X509_STORE_CTX_get_error_depth(store) != 0) return true;
    const auto presented = fingerprint(X509_STORE_CTX_get_current_cert(store));
    if (presented && constantTimeEqual(*presented, pin)) return true;
    *refused = presented ? codec::base64Encode(*presented) : std::string("(unreadable certificate)");
    return false;
  });
}

bool TlsPin::matches(SSL* ssl) const {
  if (!pin_) return true;
  const auto presented = fingerprint(SSL_get0_peer_certificate(ssl));
  return presented && constantTimeEqual(*presented, *pin_);
}

std::optional<std::string> TlsPin::presentedPinB64(SSL* ssl) {
  const auto presented = fingerprint(SSL_get0_peer_certificate(ssl));
  if (!presented) return std::nullopt;
  return codec::base64Encode(*presented);
}

}  // namespace orvane::phone
