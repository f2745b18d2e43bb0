#include "pairing/tls_identity_manager.hpp"

#include <gtest/gtest.h>
#include <openssl/asn1.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/x509.h>

#include <cctype>
#include <ctime>
#include <memory>

#include "base/crypto.hpp"
#include "base/fake_clock.hpp"
#include "pairing/der.hpp"
#include "pairing/secure_store.hpp"

namespace orvane {
namespace {

const Bytes tag = toBytes(TLSIdentityManager::keyTag);

struct X509Free {
  void operator()(X509* x) const { X509_free(x); }
};
std::unique_ptr<X509, X509Free> parseX509(const Bytes& der) {
  const unsigned char* p = der.data();
  return std::unique_ptr<X509, X509Free>(d2i_X509(nullptr, &p, static_cast<long>(der.size())));
}

crypto::EcPrivateKey newKey() {
  auto key = crypto::EcPrivateKey::generate();
  EXPECT_TRUE(key.has_value());
  return *key;
}

Bytes keyOf(const MacIdentity& identity) {
  auto key = crypto::EcPrivateKey::fromPkcs8Der(identity.secIdentity.privateKeyPkcs8);
  EXPECT_TRUE(key.has_value());
  return key ? key->publicKeyRaw() : Bytes{};
}

// Forwards to a memory keychain but offers no key for pairing with a certificate, as
// a keychain does when the certificate's key is not among its items.
class KeylessIdentityKeychain final : public Keychain {
 public:
  std::optional<crypto::EcPrivateKey> findPrivateKey(const Bytes& t) override { return inner.findPrivateKey(t); }
  std::vector<crypto::EcPrivateKey> allPrivateKeys() override { return {}; }
  void deletePrivateKeys(const Bytes& t) override { inner.deletePrivateKeys(t); }
  expected<crypto::EcPrivateKey, std::string> createPrivateKey(const Bytes& t) override {
    return inner.createPrivateKey(t);
  }
  bool containsCertificate(const Bytes& der) override { return inner.containsCertificate(der); }
  std::int32_t addCertificate(const Bytes& der, std::string_view label) override {
    return inner.addCertificate(der, label);
  }
  void deleteCertificates(std::string_view label) override { inner.deleteCertificates(label); }
  std::optional<Bytes> certificate(std::string_view label) override { return inner.certificate(label); }
  std::optional<Bytes> genericPassword(std::string_view s, std::string_view a) override {
    return inner.genericPassword(s, a);
  }
  std::int32_t setGenericPassword(std::string_view s, std::string_view a, const Bytes& d) override {
    return inner.setGenericPassword(s, a, d);
  }
  void deleteGenericPassword(std::string_view s, std::string_view a) override { inner.deleteGenericPassword(s, a); }
  MemoryKeychain inner;
};

class TLSIdentityManagerTest : public ::testing::Test {
 protected:
  // A fresh manager on the same stores: what the next start of the program sees.
  TLSIdentityManager nextStart() { return TLSIdentityManager(keychain, defaults, clock); }

  MacIdentity loadOrCreate() {
    TLSIdentityManager manager = nextStart();
    auto identity = manager.loadOrCreate();
    EXPECT_TRUE(identity.has_value()) << (identity ? "" : identity.error().description());
    return identity ? *identity : MacIdentity{};
  }

  // A certificate made by an earlier version: signed by an untagged key whose public
  // key sits in the defaults.
  Bytes legacyCertificate(const crypto::EcPrivateKey& key) {
    auto der = Certificates::buildSelfSignedCert(key.publicKeyRaw(), key, "0A1B2C3D-LEGACY", clock.wallNow());
    EXPECT_TRUE(der.has_value());
    return der ? *der : Bytes{};
  }

  std::shared_ptr<MemoryKeychain> keychain = std::make_shared<MemoryKeychain>();
  std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>();
  FakeClock clock;
};

TEST_F(TLSIdentityManagerTest, NewCertificateIsAValidSelfSignedVersion1Certificate) {
  MacIdentity identity = loadOrCreate();
  auto cert = parseX509(identity.certDER);
  ASSERT_TRUE(cert);

  EVP_PKEY* pub = X509_get_pubkey(cert.get());
  ASSERT_NE(pub, nullptr);
  EXPECT_EQ(X509_verify(cert.get(), pub), 1);
  EVP_PKEY_free(pub);
  EXPECT_EQ(X509_get_version(cert.get()), 0);  // version 1
  EXPECT_EQ(X509_get_ext_count(cert.get()), 0);
  EXPECT_EQ(X509_get_signature_nid(cert.get()), NID_ecdsa_with_SHA256);

  std::string installID = nextStart().installID();
  char cn[64] = {};
  ASSERT_GT(X509_NAME_get_text_by_NID(X509_get_subject_name(cert.get()), NID_commonName, cn, sizeof cn), 0);
  EXPECT_EQ(std::string(cn), "Orvane-" + installID.substr(0, 8));
  EXPECT_EQ(X509_NAME_cmp(X509_get_subject_name(cert.get()), X509_get_issuer_name(cert.get())), 0);

  std::tm notBefore{};
  ASSERT_EQ(ASN1_TIME_to_tm(X509_get0_notBefore(cert.get()), &notBefore), 1);
  EXPECT_EQ(timegm(&notBefore), unixSeconds(clock.wallNow()));
  int days = 0, seconds = 0;
  ASSERT_EQ(ASN1_TIME_diff(&days, &seconds, X509_get0_notBefore(cert.get()), X509_get0_notAfter(cert.get())), 1);
  EXPECT_EQ(days, 3650);
  EXPECT_EQ(seconds, 0);

  const ASN1_INTEGER* serial = X509_get0_serialNumber(cert.get());
  EXPECT_NE(serial->type & V_ASN1_NEG, V_ASN1_NEG);

  EXPECT_EQ(identity.fingerprintSHA256, crypto::sha256(identity.certDER));
  EXPECT_EQ(identity.secIdentity.certDER, identity.certDER);
  EXPECT_EQ(keyOf(identity), Certificates::publicKeyOf(identity.certDER));
  EXPECT_EQ(defaults->data(TLSIdentityManager::certDefaultsKey), identity.certDER);
  EXPECT_EQ(defaults->data(TLSIdentityManager::pubKeyDefaultsKey), keyOf(identity));
  EXPECT_TRUE(keychain->containsCertificate(identity.certDER));
  EXPECT_TRUE(keychain->findPrivateKey(tag).has_value());
}

TEST_F(TLSIdentityManagerTest, InstallIDIsAnUpperCaseUuidThatNeverChanges) {
  std::string first = nextStart().installID();
  ASSERT_EQ(first.size(), 36u);
  for (std::size_t i = 0; i < first.size(); ++i) {
    SCOPED_TRACE(i);
    bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
    EXPECT_TRUE(hyphen ? first[i] == '-' : std::isxdigit(static_cast<unsigned char>(first[i])) && !std::islower(first[i]));
  }
  EXPECT_EQ(defaults->string(TLSIdentityManager::installIDKey), first);
  EXPECT_EQ(nextStart().installID(), first);

  defaults->set(TLSIdentityManager::installIDKey, std::string("FEEDBEEF-0000"));
  EXPECT_EQ(nextStart().installID(), "FEEDBEEF-0000");
}

TEST_F(TLSIdentityManagerTest, NextStartReusesTheStoredIdentity) {
  MacIdentity first = loadOrCreate();
  MacIdentity second = loadOrCreate();
  EXPECT_EQ(second.certDER, first.certDER);
  EXPECT_EQ(second.fingerprintSHA256, first.fingerprintSHA256);
  EXPECT_EQ(second.secIdentity.privateKeyPkcs8, first.secIdentity.privateKeyPkcs8);
  EXPECT_EQ(keychain->allPrivateKeys().size(), 1u);
  EXPECT_EQ(keychain->certificateCount(), 1u);
}

TEST_F(TLSIdentityManagerTest, ReuseStoresTheCertificateWhenTheKeychainLostIt) {
  MacIdentity first = loadOrCreate();
  keychain->deleteCertificates(TLSIdentityManager::certificateLabel);
  MacIdentity second = loadOrCreate();
  EXPECT_EQ(second.certDER, first.certDER);
  EXPECT_TRUE(keychain->containsCertificate(first.certDER));
}

TEST_F(TLSIdentityManagerTest, SecondCallReturnsTheCachedIdentityWithoutTouchingTheStores) {
  TLSIdentityManager manager = nextStart();
  auto first = manager.loadOrCreate();
  ASSERT_TRUE(first.has_value());
  int lookups = keychain->keyLookups;
  keychain->deletePrivateKeys(tag);
  defaults->remove(TLSIdentityManager::certDefaultsKey);

  auto second = manager.loadOrCreate();
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(second->certDER, first->certDER);
  EXPECT_EQ(second->secIdentity.privateKeyPkcs8, first->secIdentity.privateKeyPkcs8);
  EXPECT_EQ(keychain->keyLookups, lookups);
  EXPECT_FALSE(defaults->data(TLSIdentityManager::certDefaultsKey).has_value());
}

TEST_F(TLSIdentityManagerTest, LostKeyGivesANewKeyAndAWorkingIdentity) {
  MacIdentity first = loadOrCreate();
  Bytes oldPub = keyOf(first);
  keychain->deletePrivateKeys(tag);

  MacIdentity second = loadOrCreate();
  EXPECT_NE(second.certDER, first.certDER);
  // The old public key is still in the defaults and inside the old certificate, yet
  // the new certificate must name the key that signs it.
  auto certKey = Certificates::publicKeyOf(second.certDER);
  ASSERT_TRUE(certKey.has_value());
  EXPECT_NE(*certKey, oldPub);
  EXPECT_EQ(*certKey, keyOf(second));
  auto cert = parseX509(second.certDER);
  ASSERT_TRUE(cert);
  EVP_PKEY* pub = X509_get_pubkey(cert.get());
  EXPECT_EQ(X509_verify(cert.get(), pub), 1);
  EVP_PKEY_free(pub);
  EXPECT_EQ(defaults->data(TLSIdentityManager::pubKeyDefaultsKey), *certKey);

  MacIdentity third = loadOrCreate();
  EXPECT_EQ(third.certDER, second.certDER);
  EXPECT_EQ(keychain->allPrivateKeys().size(), 1u);
}

TEST_F(TLSIdentityManagerTest, LostStoredCertificateIsTakenBackFromTheKeychainOrElseReplaced) {
  struct Row {
    const char* name;
    std::optional<Bytes> (*spoil)(const Bytes& der);  // what the settings hold instead; none: nothing
    bool keychainKeepsCertificate;
    bool sameIdentity;
  };
  const Row rows[] = {
      {"settings lost, keychain has it", [](const Bytes&) -> std::optional<Bytes> { return std::nullopt; }, true, true},
      {"trailing bytes, keychain has it",
       [](const Bytes& der) -> std::optional<Bytes> {
         Bytes broken = der;
         broken.push_back(0x00);  // not one certificate
         return broken;
       },
       true, true},
      {"settings lost, keychain lost it too", [](const Bytes&) -> std::optional<Bytes> { return std::nullopt; }, false,
       false},
      {"trailing bytes, keychain lost it too",
       [](const Bytes& der) -> std::optional<Bytes> {
         Bytes broken = der;
         broken.push_back(0x00);
         return broken;
       },
       false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    keychain = std::make_shared<MemoryKeychain>();
    defaults = std::make_shared<MemoryUserDefaults>();
    const MacIdentity first = loadOrCreate();

    // A new process whose settings no longer hold the certificate.
    defaults = std::make_shared<MemoryUserDefaults>();
    if (auto spoilt = row.spoil(first.certDER)) defaults->set(TLSIdentityManager::certDefaultsKey, *spoilt);
    if (!row.keychainKeepsCertificate) keychain->deleteCertificates(TLSIdentityManager::certificateLabel);

    const MacIdentity second = loadOrCreate();
    EXPECT_EQ(second.certDER == first.certDER, row.sameIdentity);
    EXPECT_EQ(second.fingerprintSHA256 == first.fingerprintSHA256, row.sameIdentity) << "the phone's pin";
    EXPECT_EQ(defaults->data(TLSIdentityManager::certDefaultsKey), second.certDER) << "the settings hold it again";
  }
}

TEST_F(TLSIdentityManagerTest, LegacyKeyIsFoundOnlyThroughAStoredPublicKeyOf65Bytes) {
  struct Row {
    const char* name;
    bool appendByte;
    bool reused;
  };
  const Row rows[] = {{"65 bytes", false, true}, {"66 bytes", true, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    keychain = std::make_shared<MemoryKeychain>();
    defaults = std::make_shared<MemoryUserDefaults>();
    crypto::EcPrivateKey legacyKey = newKey();
    keychain->addUntaggedKey(newKey());
    keychain->addUntaggedKey(legacyKey);
    Bytes der = legacyCertificate(legacyKey);
    Bytes storedPub = legacyKey.publicKeyRaw();
    if (row.appendByte) storedPub.push_back(0x00);
    defaults->set(TLSIdentityManager::certDefaultsKey, der);
    defaults->set(TLSIdentityManager::pubKeyDefaultsKey, storedPub);

    MacIdentity identity = loadOrCreate();
    EXPECT_EQ(identity.certDER == der, row.reused);
    EXPECT_EQ(keyOf(identity) == legacyKey.publicKeyRaw(), row.reused);
    EXPECT_EQ(keychain->findPrivateKey(tag).has_value(), !row.reused);
    // The stored public key always ends up as the certificate's own.
    EXPECT_EQ(defaults->data(TLSIdentityManager::pubKeyDefaultsKey), keyOf(identity));
  }
}

TEST_F(TLSIdentityManagerTest, LegacyKeychainCertificateMovesToTheDefaultsOnce) {
  SecureStore legacy(keychain);
  crypto::EcPrivateKey legacyKey = newKey();
  keychain->addUntaggedKey(legacyKey);
  Bytes der = legacyCertificate(legacyKey);
  keychain->setGenericPassword(SecureStore::service, TLSIdentityManager::legacyCertAccount, der);
  defaults->set(TLSIdentityManager::pubKeyDefaultsKey, legacyKey.publicKeyRaw());

  MacIdentity identity = loadOrCreate();
  EXPECT_EQ(identity.certDER, der);
  EXPECT_EQ(defaults->data(TLSIdentityManager::certDefaultsKey), der);
  EXPECT_FALSE(legacy.get(TLSIdentityManager::legacyCertAccount).has_value());
  EXPECT_EQ(defaults->boolean(TLSIdentityManager::migratedKey), true);

  // A legacy item that shows up later is never migrated again.
  defaults->remove(TLSIdentityManager::certDefaultsKey);
  keychain->setGenericPassword(SecureStore::service, TLSIdentityManager::legacyCertAccount, der);
  MacIdentity next = loadOrCreate();
  EXPECT_NE(next.certDER, der);
  EXPECT_EQ(legacy.get(TLSIdentityManager::legacyCertAccount), der);
}

TEST_F(TLSIdentityManagerTest, MigrationLeavesTheLegacyItemWhenTheDefaultsAlreadyHoldACertificate) {
  MacIdentity current = loadOrCreate();
  defaults->remove(TLSIdentityManager::migratedKey);
  Bytes other = legacyCertificate(newKey());
  keychain->setGenericPassword(SecureStore::service, TLSIdentityManager::legacyCertAccount, other);

  MacIdentity next = loadOrCreate();
  EXPECT_EQ(next.certDER, current.certDER);
  EXPECT_EQ(SecureStore(keychain).get(TLSIdentityManager::legacyCertAccount), other);
  EXPECT_EQ(defaults->boolean(TLSIdentityManager::migratedKey), true);
}

TEST_F(TLSIdentityManagerTest, MigrationFlagIsSetEvenWhenCreationFails) {
  keychain->failKeyCreation = true;
  auto identity = nextStart().loadOrCreate();
  ASSERT_FALSE(identity.has_value());
  EXPECT_EQ(identity.error().description(), "Crypto failed: The key could not be generated.");
  EXPECT_EQ(defaults->boolean(TLSIdentityManager::migratedKey), true);
}

TEST_F(TLSIdentityManagerTest, FailedCreationIsNotCachedAndTheNextCallTriesAgain) {
  TLSIdentityManager manager = nextStart();
  keychain->failKeyCreation = true;
  EXPECT_FALSE(manager.loadOrCreate().has_value());
  keychain->failKeyCreation = false;
  auto identity = manager.loadOrCreate();
  ASSERT_TRUE(identity.has_value());
  EXPECT_EQ(defaults->data(TLSIdentityManager::certDefaultsKey), identity->certDER);
}

TEST_F(TLSIdentityManagerTest, DuplicateCertificateIsReplacedNotDuplicated) {
  Bytes older = legacyCertificate(newKey());
  ASSERT_EQ(keychain->addCertificate(older, TLSIdentityManager::certificateLabel), keychainSuccess);

  MacIdentity identity = loadOrCreate();
  EXPECT_EQ(keychain->certificateCount(), 1u);
  EXPECT_TRUE(keychain->containsCertificate(identity.certDER));
  EXPECT_FALSE(keychain->containsCertificate(older));
}

TEST_F(TLSIdentityManagerTest, CertificateStoreFailureDoesNotStopTheIdentity) {
  keychain->certificateAddStatus = keychainIOError;
  MacIdentity identity = loadOrCreate();
  EXPECT_EQ(keychain->certificateCount(), 0u);
  EXPECT_EQ(keyOf(identity), Certificates::publicKeyOf(identity.certDER));
}

TEST_F(TLSIdentityManagerTest, CertificateWithoutItsKeyInTheKeychainFailsAsAuthorisation) {
  auto keyless = std::make_shared<KeylessIdentityKeychain>();
  TLSIdentityManager manager(keyless, defaults, clock);
  auto identity = manager.loadOrCreate();
  ASSERT_FALSE(identity.has_value());
  EXPECT_EQ(identity.error(), IdentityError::keychain(-25293, "SecIdentityCreateWithCertificate"));
  // What was written stays for the next start.
  EXPECT_TRUE(defaults->data(TLSIdentityManager::certDefaultsKey).has_value());
}

TEST(CertificatesNormalizeSignature, RawAndDerForms) {
  auto raw = [](Bytes r, Bytes s) {
    r.insert(r.end(), s.begin(), s.end());
    return r;
  };
  Bytes highR(32, 0x11);
  highR[0] = 0x80;
  Bytes zeroLedR(32, 0x22);
  zeroLedR[0] = 0x00;
  zeroLedR[1] = 0x00;
  Bytes plainS(32, 0x33);

  struct Row {
    const char* name;
    Bytes signature;
    Bytes expected;  // empty: an error is expected
    std::string error;
  };
  Bytes der70(70, 0x01);
  der70[0] = 0x30;
  Bytes der80(80, 0x01);
  der80[0] = 0x30;
  Bytes der69(69, 0x01);
  der69[0] = 0x30;
  Bytes der81(81, 0x01);
  der81[0] = 0x30;
  Bytes notSequence(72, 0x01);

  Bytes highRInteger{0x02, 0x21, 0x00};
  highRInteger.insert(highRInteger.end(), highR.begin(), highR.end());
  Bytes zeroLedRInteger{0x02, 0x1E};
  zeroLedRInteger.insert(zeroLedRInteger.end(), zeroLedR.begin() + 2, zeroLedR.end());
  Bytes sInteger{0x02, 0x20};
  sInteger.insert(sInteger.end(), plainS.begin(), plainS.end());

  const Row rows[] = {
      {"r with top bit gets 33 bytes", raw(highR, plainS), DER::sequence({highRInteger, sInteger}), ""},
      {"r loses leading zeros", raw(zeroLedR, plainS), DER::sequence({zeroLedRInteger, sInteger}), ""},
      {"DER of 70 kept", der70, der70, ""},
      {"DER of 80 kept", der80, der80, ""},
      {"DER of 69 refused", der69, {}, "Crypto failed: unexpected signature length 69"},
      {"DER of 81 refused", der81, {}, "Crypto failed: unexpected signature length 81"},
      {"not a sequence", notSequence, {}, "Crypto failed: unexpected signature length 72"},
      {"empty", {}, {}, "Crypto failed: unexpected signature length 0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto result = Certificates::normalizeSignature(row.signature);
    if (row.error.empty()) {
      ASSERT_TRUE(result.has_value());
      EXPECT_EQ(*result, row.expected);
    } else {
      ASSERT_FALSE(result.has_value());
      EXPECT_EQ(result.error().description(), row.error);
    }
  }
}

TEST(CertificatesBuild, SignaturesWithShortRorSStillMakeValidCertificates) {
  // A leading zero byte in r or s shortens the DER signature below 70 bytes in about
  // one signature in 256. Build until such a certificate has come out, each one valid.
  crypto::EcPrivateKey key = newKey();
  FakeClock clock;
  bool sawShortSignature = false;
  for (int i = 0; i < 5000 && !sawShortSignature; ++i) {
    auto der = Certificates::buildSelfSignedCert(key.publicKeyRaw(), key, "0123456789", clock.wallNow());
    ASSERT_TRUE(der.has_value()) << der.error().description();
    auto cert = parseX509(*der);
    ASSERT_TRUE(cert);
    EVP_PKEY* pub = X509_get_pubkey(cert.get());
    ASSERT_EQ(X509_verify(cert.get(), pub), 1);
    EVP_PKEY_free(pub);
    const ASN1_BIT_STRING* signature = nullptr;
    X509_get0_signature(&signature, nullptr, cert.get());
    sawShortSignature = ASN1_STRING_length(signature) < 70;
  }
  EXPECT_TRUE(sawShortSignature);
}

TEST(CertificatesPublicKeyOf, OnlyForParsableCertificates) {
  crypto::EcPrivateKey key = newKey();
  FakeClock clock;
  auto der = Certificates::buildSelfSignedCert(key.publicKeyRaw(), key, "ABCDEFGH", clock.wallNow());
  ASSERT_TRUE(der.has_value());
  EXPECT_EQ(Certificates::publicKeyOf(*der), key.publicKeyRaw());
  EXPECT_TRUE(Certificates::parses(*der));
  Bytes truncated(der->begin(), der->end() - 1);
  EXPECT_FALSE(Certificates::parses(truncated));
  EXPECT_FALSE(Certificates::publicKeyOf(truncated).has_value());
  EXPECT_FALSE(Certificates::parses({}));
}

TEST(IdentityErrorDescription, TextsShownAsTheServerError) {
  struct Row {
    IdentityError error;
    std::string text;
  };
  const Row rows[] = {
      {IdentityError::keychain(-25293, "SecIdentityCreateWithCertificate"),
       "Keychain failed during SecIdentityCreateWithCertificate (OSStatus -25293)"},
      {IdentityError::keychain(0, "certificate store"), "Keychain failed during certificate store (OSStatus 0)"},
      {IdentityError::crypto("serial randomness"), "Crypto failed: serial randomness"},
      {IdentityError::crypto("resolve P-256 public key"), "Crypto failed: resolve P-256 public key"},
      {IdentityError::certCreation(), "Could not create certificate object"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(row.error.description(), row.text);
  }
}

TEST(MacIdentityFingerprintText, FirstFourBytesInLowerCaseHex) {
  MacIdentity identity;
  identity.fingerprintSHA256 = {0xAB, 0x01, 0xFF, 0x0C, 0x99, 0x98};
  EXPECT_EQ(identity.fingerprintText(), "ab01ff0c");
}

}  // namespace
}  // namespace orvane
