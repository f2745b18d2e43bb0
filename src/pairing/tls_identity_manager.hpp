#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/clock.hpp"
#include "base/expected.hpp"
#include "base/user_defaults.hpp"
#include "pairing/identity_error.hpp"
#include "pairing/keychain.hpp"
#include "pairing/mac_identity.hpp"

namespace orvane {

// Makes this computer's self-signed TLS identity once and finds it again on every
// start. One instance per process; it is used only on the server's queue.
class TLSIdentityManager {
 public:
  static constexpr std::string_view keyTag = "com.orvane.app.mac.tls-priv-v1";
  static constexpr std::string_view certificateLabel = "Orvane Local Identity";
  static constexpr std::string_view certDefaultsKey = "zel.tls-cert-der";
  static constexpr std::string_view pubKeyDefaultsKey = "zel.tls-pubkey";
  static constexpr std::string_view installIDKey = "zel.installID";
  static constexpr std::string_view migratedKey = "zel.certMigratedToDefaults";
  static constexpr std::string_view legacyCertAccount = "tls-cert-der";

  TLSIdentityManager(std::shared_ptr<Keychain> keychain, std::shared_ptr<UserDefaults> defaults,
                     const Clock& clock = SystemClock::shared());

  // The cached identity after the first success; otherwise reuse or creation.
  expected<MacIdentity, IdentityError> loadOrCreate();
  // The installation identifier, created on first use and never changed.
  std::string installID();

 private:
  void migrateLegacyCertIfNeeded();
  std::optional<crypto::EcPrivateKey> existingPrivateKey();
  // The keychain's certificate with its key, when the settings no longer hold it.
  std::optional<MacIdentity> recoverFromKeychain();
  std::optional<crypto::EcPrivateKey> findKeyByTag();
  std::optional<crypto::EcPrivateKey> findLegacyKey(const Bytes& matchingPub);
  static bool keyCanSign(const crypto::EcPrivateKey& key);
  expected<crypto::EcPrivateKey, IdentityError> createPrivateKey();
  bool certificateIsInKeychain(const Bytes& der);
  expected<void, IdentityError> storeCertificate(const Bytes& der);
  // Pairs the certificate with the keychain's private key for its public key, as the
  // TLS layer needs them; none when the keychain holds no such key.
  std::optional<TlsIdentityMaterial> identityFor(const Bytes& der);
  MacIdentity remember(const Bytes& der, TlsIdentityMaterial material);

  std::shared_ptr<Keychain> keychain_;
  std::shared_ptr<UserDefaults> defaults_;
  const Clock& clock_;
  std::optional<MacIdentity> cached_;
};

// Certificate building, exposed for tests.
namespace Certificates {
// The signed DER certificate for `publicKeyRaw` (65 bytes) signed by `signingKey`.
expected<Bytes, IdentityError> buildSelfSignedCert(const Bytes& publicKeyRaw, const crypto::EcPrivateKey& signingKey,
                                                   std::string_view installID, WallTime now);
// A raw 64-byte r||s signature becomes a DER ECDSA-Sig-Value; a DER one of 70..80
// bytes is kept; anything else is an error.
expected<Bytes, IdentityError> normalizeSignature(const Bytes& signature);
// Whether OpenSSL accepts the bytes as an X.509 certificate.
bool parses(const Bytes& der);
// The certificate's uncompressed P-256 public point, none when not a P-256 certificate.
std::optional<Bytes> publicKeyOf(const Bytes& der);
}  // namespace Certificates

}  // namespace orvane
