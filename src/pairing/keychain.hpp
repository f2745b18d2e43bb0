#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "base/bytes.hpp"
#include "base/crypto.hpp"
#include "base/expected.hpp"
#include "pairing/identity_error.hpp"

namespace orvane {

// The secret store: P-256 private keys under an application tag, certificates under a
// label, and generic passwords by (service, account). On Linux it is a folder of
// files readable only by the user. Implementations never throw.
class Keychain {
 public:
  virtual ~Keychain() = default;

  // The private key stored under `tag`, none when there is none or it cannot be read.
  virtual std::optional<crypto::EcPrivateKey> findPrivateKey(const Bytes& tag) = 0;
  // Every readable private key, tagged or not, in a stable order.
  virtual std::vector<crypto::EcPrivateKey> allPrivateKeys() = 0;
  // Removes every key stored under `tag`.
  virtual void deletePrivateKeys(const Bytes& tag) = 0;
  // Makes and stores a new random P-256 key under `tag` (tag and label both `tag`);
  // the error is a description of the failure.
  virtual expected<crypto::EcPrivateKey, std::string> createPrivateKey(const Bytes& tag) = 0;

  virtual bool containsCertificate(const Bytes& der) = 0;
  // keychainSuccess, keychainDuplicateItem when a certificate with this label exists,
  // or another failure status.
  virtual std::int32_t addCertificate(const Bytes& der, std::string_view label) = 0;
  virtual void deleteCertificates(std::string_view label) = 0;
  // The certificate stored under `label`, none when there is none or it cannot be read.
  virtual std::optional<Bytes> certificate(std::string_view label) = 0;

  virtual std::optional<Bytes> genericPassword(std::string_view service, std::string_view account) = 0;
  virtual std::int32_t setGenericPassword(std::string_view service, std::string_view account, const Bytes& data) = 0;
  virtual void deleteGenericPassword(std::string_view service, std::string_view account) = 0;
};

// In-memory keychain for tests: behaves like the file keychain, and can be told to fail.
class MemoryKeychain final : public Keychain {
 public:
  std::optional<crypto::EcPrivateKey> findPrivateKey(const Bytes& tag) override;
  std::vector<crypto::EcPrivateKey> allPrivateKeys() override;
  void deletePrivateKeys(const Bytes& tag) override;
  expected<crypto::EcPrivateKey, std::string> createPrivateKey(const Bytes& tag) override;
  bool containsCertificate(const Bytes& der) override;
  std::int32_t addCertificate(const Bytes& der, std::string_view label) override;
  void deleteCertificates(std::string_view label) override;
  std::optional<Bytes> certificate(std::string_view label) override;
  std::optional<Bytes> genericPassword(std::string_view service, std::string_view account) override;
  std::int32_t setGenericPassword(std::string_view service, std::string_view account, const Bytes& data) override;
  void deleteGenericPassword(std::string_view service, std::string_view account) override;

  // Test controls.
  void addUntaggedKey(crypto::EcPrivateKey key) { keys_.push_back({{}, std::move(key)}); }
  bool failKeyCreation = false;
  std::int32_t certificateAddStatus = keychainSuccess;  // forced status of addCertificate when not success
  int keyLookups = 0;                                   // calls that read keys
  std::size_t certificateCount() const { return certs_.size(); }

 private:
  struct KeyItem {
    Bytes tag;
    crypto::EcPrivateKey key;
  };
  struct CertItem {
    Bytes der;
    std::string label;
  };
  struct PasswordItem {
    std::string service, account;
    Bytes data;
  };
  std::vector<KeyItem> keys_;
  std::vector<CertItem> certs_;
  std::vector<PasswordItem> passwords_;
};

}  // namespace orvane
