#include "pairing/tls_identity_manager.hpp"

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <chrono>
#include <cstring>

#include "base/crypto.hpp"
#include "base/text.hpp"
#include "pairing/der.hpp"
#include "pairing/secure_store.hpp"

namespace orvane {

namespace {

constexpr std::string_view identityProbe = "zel-identity-probe";
// Ten years of 365 days.
constexpr std::chrono::seconds certificateLifetime{315'360'000};
constexpr std::size_t rawPublicKeySize = 65;

Bytes keyTagBytes() { return toBytes(TLSIdentityManager::keyTag); }

bool isRawP256Point(const Bytes& raw) { return raw.size() == rawPublicKeySize && raw.front() == 0x04; }

struct X509Free {
  void operator()(X509* x) const { X509_free(x); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;

// The certificate when the bytes are exactly one DER certificate, nothing left over.
X509Ptr parseCertificate(const Bytes& der) {
  if (der.empty()) return nullptr;
  const unsigned char* cursor = der.data();
  X509Ptr cert(d2i_X509(nullptr, &cursor, static_cast<long>(der.size())));
  if (!cert || cursor != der.data() + der.size()) return nullptr;
  return cert;
}

// The fixed-width r || s form of a DER ECDSA-Sig-Value, none when it is not one.
std::optional<Bytes> rawSignature(const Bytes& der) {
  const unsigned char* cursor = der.data();
  ECDSA_SIG* sig = d2i_ECDSA_SIG(nullptr, &cursor, static_cast<long>(der.size()));
  if (sig == nullptr) return std::nullopt;
  const BIGNUM* r = nullptr;
  const BIGNUM* s = nullptr;
  ECDSA_SIG_get0(sig, &r, &s);
  Bytes raw(64);
  bool ok = cursor == der.data() + der.size() && BN_bn2binpad(r, raw.data(), 32) == 32 &&
            BN_bn2binpad(s, raw.data() + 32, 32) == 32;
  ECDSA_SIG_free(sig);
  if (!ok) return std::nullopt;
  return raw;
}

}  // namespace

namespace Certificates {

bool parses(const Bytes& der) { return parseCertificate(der) != nullptr; }

std::optional<Bytes> publicKeyOf(const Bytes& der) {
  X509Ptr cert = parseCertificate(der);
  if (!cert) return std::nullopt;
  EVP_PKEY* key = X509_get0_pubkey(cert.get());
  if (key == nullptr || !EVP_PKEY_is_a(key, "EC")) return std::nullopt;
  char group[32] = {};
  if (!EVP_PKEY_get_group_name(key, group, sizeof group, nullptr) || std::strcmp(group, "prime256v1") != 0) {
    return std::nullopt;
  }
  unsigned char* encoded = nullptr;
  std::size_t size = EVP_PKEY_get1_encoded_public_key(key, &encoded);
  if (encoded == nullptr) return std::nullopt;
  Bytes raw(encoded, encoded + size);
  OPENSSL_free(encoded);
  if (!isRawP256Point(raw)) return std::nullopt;
  return raw;
}

expected<Bytes, IdentityError> normalizeSignature(const Bytes& signature) {
  if (signature.size() == 64) {
    Bytes r(signature.begin(), signature.begin() + 32);
    Bytes s(signature.begin() + 32, signature.end());
    return DER::sequence({DER::integerBytes(r), DER::integerBytes(s)});
  }
  if (!signature.empty() && signature.front() == 0x30 && signature.size() >= 70 && signature.size() <= 80) {
    return signature;
  }
  return unexpected(IdentityError::crypto("unexpected signature length " + std::to_string(signature.size())));
}

expected<Bytes, IdentityError> buildSelfSignedCert(const Bytes& publicKeyRaw, const crypto::EcPrivateKey& signingKey,
                                                   std::string_view installID, WallTime now) {
  std::optional<Bytes> serialRandom = crypto::secureRandom(8);
  if (!serialRandom) return unexpected(IdentityError::crypto("serial randomness"));
  Bytes serial = DER::integerBytes(*serialRandom);

  Bytes signatureAlgorithm = DER::sequence({DER::oid({1, 2, 840, 10045, 4, 3, 2})});

  std::string commonName = "Orvane-" + text::prefixGraphemes(installID, 8);
  Bytes name = DER::sequence(
      {DER::tlv(0x31, DER::sequence({DER::oid({2, 5, 4, 3}), DER::utf8String(commonName)}))});

  Bytes validity = DER::sequence({DER::utcTime(now), DER::utcTime(now + certificateLifetime)});

  Bytes keyBits{0x00};
  keyBits.insert(keyBits.end(), publicKeyRaw.begin(), publicKeyRaw.end());
  Bytes publicKeyInfo = DER::sequence(
      {DER::sequence({DER::oid({1, 2, 840, 10045, 2, 1}), DER::oid({1, 2, 840, 10045, 3, 1, 7})}),
       DER::tlv(0x03, keyBits)});

  // Version 1: no version field, no extensions.
  Bytes toBeSigned = DER::sequence({serial, signatureAlgorithm, name, validity, name, publicKeyInfo});

  expected<Bytes, std::string> signature = signingKey.sign(toBeSigned);
  if (!signature) {
    std::string reason = signature.error().empty() ? "no error info" : signature.error();
    return unexpected(IdentityError::crypto("SecKeyCreateSignature failed: " + reason));
  }
  // The signer's DER shrinks below 70 bytes whenever r or s has a leading zero byte
  // (about one signature in 256); the fixed-width r || s form always normalises.
  Bytes toNormalise = rawSignature(*signature).value_or(*signature);
  expected<Bytes, IdentityError> sigValue = normalizeSignature(toNormalise);
  if (!sigValue) return unexpected(sigValue.error());

  Bytes signatureBits{0x00};
  signatureBits.insert(signatureBits.end(), sigValue->begin(), sigValue->end());
  return DER::sequence({toBeSigned, signatureAlgorithm, DER::tlv(0x03, signatureBits)});
}

}  // namespace Certificates

TLSIdentityManager::TLSIdentityManager(std::shared_ptr<Keychain> keychain, std::shared_ptr<UserDefaults> defaults,
                                       const Clock& clock)
    : keychain_(std::move(keychain)), defaults_(std::move(defaults)), clock_(clock) {}

expected<MacIdentity, IdentityError> TLSIdentityManager::loadOrCreate() {
  if (cached_) return *cached_;

  migrateLegacyCertIfNeeded();

  // Reuse path: every failure here falls through to making a new identity.
  std::optional<Bytes> storedDER = defaults_->data(certDefaultsKey);
  if (storedDER && Certificates::parses(*storedDER)) {
    std::optional<crypto::EcPrivateKey> key = existingPrivateKey();
    if (key && keyCanSign(*key)) {
      if (!certificateIsInKeychain(*storedDER)) (void)storeCertificate(*storedDER);
      if (std::optional<TlsIdentityMaterial> material = identityFor(*storedDER)) {
        return remember(*storedDER, std::move(*material));
      }
    }
  }
  // The settings lost their copy of the certificate (a damaged settings file): the
  // keychain keeps one too. When it still matches a key that signs, it is the identity
  // the paired phone pins, so it is taken back rather than replaced.
  if (auto recovered = recoverFromKeychain()) return *recovered;

  expected<crypto::EcPrivateKey, IdentityError> key = createPrivateKey();
  if (!key) return unexpected(key.error());

  // The certificate always carries the public key of the key that signs it and
  // serves it: a public key kept from an earlier key could never be paired with
  // this one into an identity, so every later start would fail the same way.
  Bytes publicKey = key->publicKeyRaw();
  if (!isRawP256Point(publicKey)) return unexpected(IdentityError::crypto("resolve P-256 public key"));

  expected<Bytes, IdentityError> der =
      Certificates::buildSelfSignedCert(publicKey, *key, installID(), clock_.wallNow());
  if (!der) return unexpected(der.error());

  defaults_->set(certDefaultsKey, *der);
  defaults_->set(pubKeyDefaultsKey, publicKey);

  if (!Certificates::parses(*der)) return unexpected(IdentityError::certCreation());

  // Storing in the keychain is best effort; the identity below does not depend on it.
  if (!certificateIsInKeychain(*der)) (void)storeCertificate(*der);
  if (!certificateIsInKeychain(*der)) (void)storeCertificate(*der);

  std::optional<TlsIdentityMaterial> material = identityFor(*der);
  if (!material) return unexpected(IdentityError::keychain(keychainAuthFailed, "SecIdentityCreateWithCertificate"));
  MacIdentity made = remember(*der, std::move(*material));
  made.created = true;
  return made;
}

std::optional<MacIdentity> TLSIdentityManager::recoverFromKeychain() {
  std::optional<Bytes> der = keychain_->certificate(certificateLabel);
  if (!der || !Certificates::parses(*der)) return std::nullopt;
  std::optional<Bytes> certificateKey = Certificates::publicKeyOf(*der);
  if (!certificateKey) return std::nullopt;
  std::optional<crypto::EcPrivateKey> key = findKeyByTag();
  if (!key || key->publicKeyRaw() != *certificateKey || !keyCanSign(*key)) return std::nullopt;
  std::optional<TlsIdentityMaterial> material = identityFor(*der);
  if (!material) return std::nullopt;
  defaults_->setMany({{std::string(certDefaultsKey), *der}, {std::string(pubKeyDefaultsKey), *certificateKey}});
  return remember(*der, std::move(*material));
}

std::string TLSIdentityManager::installID() {
  if (std::optional<std::string> existing = defaults_->string(installIDKey)) return *existing;
  std::string fresh = crypto::uuidString();
  defaults_->set(installIDKey, fresh);
  return fresh;
}

void TLSIdentityManager::migrateLegacyCertIfNeeded() {
  if (defaults_->boolOrFalse(migratedKey)) return;
  // The flag goes first so that the migration runs once whatever happens next.
  defaults_->set(migratedKey, true);
  if (defaults_->data(certDefaultsKey)) return;
  SecureStore legacy(keychain_);
  if (std::optional<Bytes> der = legacy.get(legacyCertAccount)) {
    defaults_->set(certDefaultsKey, *der);
    legacy.deleteItem(legacyCertAccount);
  }
}

std::optional<crypto::EcPrivateKey> TLSIdentityManager::existingPrivateKey() {
  if (std::optional<crypto::EcPrivateKey> key = findKeyByTag()) return key;
  std::optional<Bytes> storedPub = defaults_->data(pubKeyDefaultsKey);
  if (storedPub && storedPub->size() == rawPublicKeySize) return findLegacyKey(*storedPub);
  return std::nullopt;
}

std::optional<crypto::EcPrivateKey> TLSIdentityManager::findKeyByTag() { return keychain_->findPrivateKey(keyTagBytes()); }

std::optional<crypto::EcPrivateKey> TLSIdentityManager::findLegacyKey(const Bytes& matchingPub) {
  for (const crypto::EcPrivateKey& key : keychain_->allPrivateKeys()) {
    // A key whose public part cannot be exported yields no bytes and never matches.
    if (key.publicKeyRaw() == matchingPub) return key;
  }
  return std::nullopt;
}

bool TLSIdentityManager::keyCanSign(const crypto::EcPrivateKey& key) {
  return key.sign(toBytes(identityProbe)).has_value();
}

expected<crypto::EcPrivateKey, IdentityError> TLSIdentityManager::createPrivateKey() {
  keychain_->deletePrivateKeys(keyTagBytes());
  expected<crypto::EcPrivateKey, std::string> key = keychain_->createPrivateKey(keyTagBytes());
  if (!key) return unexpected(IdentityError::crypto(key.error().empty() ? "SecKeyCreateRandomKey" : key.error()));
  return *key;
}

bool TLSIdentityManager::certificateIsInKeychain(const Bytes& der) { return keychain_->containsCertificate(der); }

expected<void, IdentityError> TLSIdentityManager::storeCertificate(const Bytes& der) {
  std::int32_t status = keychain_->addCertificate(der, certificateLabel);
  if (status == keychainDuplicateItem) {
    keychain_->deleteCertificates(certificateLabel);
    status = keychain_->addCertificate(der, certificateLabel);
  }
  if (status != keychainSuccess) return unexpected(IdentityError::keychain(status, "certificate store"));
  return {};
}

std::optional<TlsIdentityMaterial> TLSIdentityManager::identityFor(const Bytes& der) {
  std::optional<Bytes> certificateKey = Certificates::publicKeyOf(der);
  if (!certificateKey) return std::nullopt;
  for (const crypto::EcPrivateKey& key : keychain_->allPrivateKeys()) {
    if (key.publicKeyRaw() != *certificateKey) continue;
    Bytes pkcs8 = key.toPkcs8Der();
    if (pkcs8.empty()) return std::nullopt;
    return TlsIdentityMaterial{der, std::move(pkcs8)};
  }
  return std::nullopt;
}

MacIdentity TLSIdentityManager::remember(const Bytes& der, TlsIdentityMaterial material) {
  cached_ = MacIdentity{der, crypto::sha256(der), std::move(material)};
  return *cached_;
}

}  // namespace orvane
