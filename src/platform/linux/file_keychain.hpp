#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "pairing/keychain.hpp"

namespace orvane {

// The keychain as a folder of files only the user can read (folder 0700, files
// 0600), one file per item, each written atomically:
//   key-<hex tag>-<id>.pem       a private key, PKCS#8 PEM; the id orders keys by creation
//   cert-<hex label>.der         a certificate, DER; one per label
//   password-<hex service>-<hex account>.bin   a generic password's data
// Files that cannot be read or parsed are skipped, and kept aside rather than deleted
// when their item is replaced. Never throws; thread-safe.
class FileKeychain final : public Keychain {
 public:
  explicit FileKeychain(std::filesystem::path folder);
  // The keychain in <dataHome>/Orvane/keychain, the folder created if missing.
  static expected<std::shared_ptr<FileKeychain>, std::string> atDefaultLocation();

  const std::filesystem::path& folder() const { return folder_; }
  // At start: the folder and every item file are closed to the user again (0700 and
  // 0600), and temporaries of interrupted writes are removed.
  void tidy();

  std::optional<crypto::EcPrivateKey> findPrivateKey(const Bytes& tag) override;
  std::vector<crypto::EcPrivateKey> allPrivateKeys() override;
  void deletePrivateKeys(const Bytes& tag) override;
  expected<crypto::EcPrivateKey, std::string> createPrivateKey(const Bytes& tag) override;
  // Stores an existing key under `tag` (which may be empty).
  expected<void, std::string> addPrivateKey(const Bytes& tag, const crypto::EcPrivateKey& key);

  bool containsCertificate(const Bytes& der) override;
  std::int32_t addCertificate(const Bytes& der, std::string_view label) override;
  void deleteCertificates(std::string_view label) override;
  std::optional<Bytes> certificate(std::string_view label) override;

  std::optional<Bytes> genericPassword(std::string_view service, std::string_view account) override;
  std::int32_t setGenericPassword(std::string_view service, std::string_view account, const Bytes& data) override;
  void deleteGenericPassword(std::string_view service, std::string_view account) override;

 private:
  struct KeyFile {
    std::string hexTag;
    std::string id;
    std::filesystem::path path;
  };
  // Key files in creation order.
  std::vector<KeyFile> keyFiles();
  std::vector<std::filesystem::path> certificateFiles();
  expected<void, std::string> write(const std::string& name, const Bytes& bytes);

  std::filesystem::path folder_;
  std::mutex mutex_;
};

}  // namespace orvane
