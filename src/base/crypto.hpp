#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/bytes.hpp"
#include "base/expected.hpp"

namespace orvane::crypto {

// The digest and MAC come back empty only when OpenSSL itself fails (out of memory),
// which then matches no real digest.
Bytes sha256(const Bytes& data);
Bytes sha256(std::string_view data);
Bytes hmacSha256(const Bytes& key, std::string_view message);

// Bytes from the system's secure random source; none when the source fails.
std::optional<Bytes> secureRandom(std::size_t count);

// A new random (version 4) UUID in canonical text form: 36 characters, upper-case
// hexadecimal in groups 8-4-4-4-12.
std::string uuidString();

// A P-256 key pair. Copies share the key.
class EcPrivateKey {
 public:
  static expected<EcPrivateKey, std::string> generate();
  // PKCS#8 DER or PEM as written by `toPkcs8Der` / `toPem`.
  static std::optional<EcPrivateKey> fromPkcs8Der(const Bytes& der);
  static std::optional<EcPrivateKey> fromPem(std::string_view pem);

  // Empty only when OpenSSL fails to encode.
  Bytes toPkcs8Der() const;
  std::string toPem() const;
  // Uncompressed public point: 0x04, X, Y (65 bytes).
  Bytes publicKeyRaw() const;
  // ECDSA with SHA-256 over `message`, DER-encoded ECDSA-Sig-Value (X9.62 form);
  // an error text when signing fails.
  expected<Bytes, std::string> sign(const Bytes& message) const;

  // The OpenSSL EVP_PKEY*, for the TLS adapter and certificate checks.
  void* nativeHandle() const { return key_.get(); }

 private:
  explicit EcPrivateKey(std::shared_ptr<void> key) : key_(std::move(key)) {}
  std::shared_ptr<void> key_;
};

// Verifies a DER ECDSA-SHA256 signature with a raw 65-byte public point.
bool verifyP256(const Bytes& publicKeyRaw, const Bytes& message, const Bytes& derSignature);

}  // namespace orvane::crypto
