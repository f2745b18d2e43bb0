#include "platform/linux/file_keychain.hpp"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>

#include "base/atomic_file.hpp"
#include "base/codec.hpp"
#include "platform/linux/xdg_paths.hpp"

namespace orvane {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view keyPrefix = "key-";
constexpr std::string_view keySuffix = ".pem";
constexpr std::string_view certPrefix = "cert-";
constexpr std::string_view certSuffix = ".der";
constexpr std::string_view passwordPrefix = "password-";
constexpr std::string_view passwordSuffix = ".bin";

std::string hex(std::string_view text) { return codec::hexEncode(toBytes(text)); }

std::string certificateName(std::string_view label) {
  return std::string(certPrefix) + hex(label) + std::string(certSuffix);
}

std::string passwordName(std::string_view service, std::string_view account) {
  return std::string(passwordPrefix) + hex(service) + "-" + hex(account) + std::string(passwordSuffix);
}

// Wall-clock nanoseconds then a per-process counter, both fixed-width hexadecimal, so
// that names sort in creation order and two keys made at once never share a name.
std::string newKeyID() {
  static std::atomic<unsigned> counter{0};
  auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
                   .count();
  char id[48];
  std::snprintf(id, sizeof id, "%016llx%08x%04x", static_cast<unsigned long long>(nanos),
                static_cast<unsigned>(::getpid()), counter.fetch_add(1) & 0xFFFFu);
  return id;
}

bool hasAffixes(const std::string& name, std::string_view prefix, std::string_view suffix) {
  return name.size() > prefix.size() + suffix.size() && name.starts_with(prefix) && name.ends_with(suffix);
}

// Regular files of the folder by name, sorted; empty when the folder is missing.
std::vector<std::string> fileNames(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    if (it->is_regular_file(typeError)) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<crypto::EcPrivateKey> readKey(const fs::path& path) {
  std::optional<Bytes> pem = files::readFile(path);
  if (!pem) return std::nullopt;
  return crypto::EcPrivateKey::fromPem(toString(*pem));
}

}  // namespace

FileKeychain::FileKeychain(fs::path folder) : folder_(std::move(folder)) {}

expected<std::shared_ptr<FileKeychain>, std::string> FileKeychain::atDefaultLocation() {
  auto folder = xdg::keychainFolder();
  if (!folder) return unexpected(folder.error());
  auto keychain = std::make_shared<FileKeychain>(*folder);
  keychain->tidy();
  return keychain;
}

void FileKeychain::tidy() {
  std::lock_guard lock(mutex_);
  (void)files::ensureDirectory(folder_, 0700);
  std::error_code ec;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code ignored;
    if (files::isTemporaryName(name)) {
      fs::remove(it->path(), ignored);
    } else if (it->is_regular_file(ignored)) {
      fs::permissions(it->path(), fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace, ignored);
    }
  }
}

std::vector<FileKeychain::KeyFile> FileKeychain::keyFiles() {
  std::vector<KeyFile> keys;
  for (const std::string& name : fileNames(folder_)) {
    if (!hasAffixes(name, keyPrefix, keySuffix)) continue;
    std::string middle = name.substr(keyPrefix.size(), name.size() - keyPrefix.size() - keySuffix.size());
    std::size_t dash = middle.rfind('-');
    if (dash == std::string::npos) continue;
    keys.push_back({middle.substr(0, dash), middle.substr(dash + 1), folder_ / name});
  }
  // Creation order is the order of the ids, whatever the tags.
  std::stable_sort(keys.begin(), keys.end(), [](const KeyFile& a, const KeyFile& b) { return a.id < b.id; });
  return keys;
}

std::vector<fs::path> FileKeychain::certificateFiles() {
  std::vector<fs::path> certs;
  for (const std::string& name : fileNames(folder_)) {
    if (hasAffixes(name, certPrefix, certSuffix)) certs.push_back(folder_ / name);
  }
  return certs;
}

expected<void, std::string> FileKeychain::write(const std::string& name, const Bytes& bytes) {
  if (auto made = files::ensureDirectory(folder_, 0700); !made) return unexpected(made.error());
  return files::writeFileAtomically(folder_ / name, bytes, 0600);
}

std::optional<crypto::EcPrivateKey> FileKeychain::findPrivateKey(const Bytes& tag) {
  std::lock_guard lock(mutex_);
  std::string hexTag = codec::hexEncode(tag);
  for (const KeyFile& file : keyFiles()) {
    if (file.hexTag != hexTag) continue;
    if (std::optional<crypto::EcPrivateKey> key = readKey(file.path)) return key;
  }
  return std::nullopt;
}

std::vector<crypto::EcPrivateKey> FileKeychain::allPrivateKeys() {
  std::lock_guard lock(mutex_);
  std::vector<crypto::EcPrivateKey> keys;
  for (const KeyFile& file : keyFiles()) {
    if (std::optional<crypto::EcPrivateKey> key = readKey(file.path)) keys.push_back(std::move(*key));
  }
  return keys;
}

void FileKeychain::deletePrivateKeys(const Bytes& tag) {
  std::lock_guard lock(mutex_);
  std::string hexTag = codec::hexEncode(tag);
  for (const KeyFile& file : keyFiles()) {
    if (file.hexTag != hexTag) continue;
    // Keys go only when a new identity replaces them. A key that cannot be read now,
    // or one whose certificate was lost, may be the only copy of the identity a phone
    // trusts: it is kept, under a name no lookup matches.
    (void)files::setAside(file.path, std::chrono::system_clock::now(), false,
                          readKey(file.path) ? "replaced" : "unreadable");
  }
}

expected<void, std::string> FileKeychain::addPrivateKey(const Bytes& tag, const crypto::EcPrivateKey& key) {
  std::string pem = key.toPem();
  if (pem.empty()) return unexpected(std::string("the key could not be encoded"));
  std::string name = std::string(keyPrefix) + codec::hexEncode(tag) + "-" + newKeyID() + std::string(keySuffix);
  std::lock_guard lock(mutex_);
  return write(name, toBytes(pem));
}

expected<crypto::EcPrivateKey, std::string> FileKeychain::createPrivateKey(const Bytes& tag) {
  expected<crypto::EcPrivateKey, std::string> key = crypto::EcPrivateKey::generate();
  if (!key) return unexpected(key.error());
  if (auto stored = addPrivateKey(tag, *key); !stored) return unexpected(stored.error());
  return *key;
}

bool FileKeychain::containsCertificate(const Bytes& der) {
  std::lock_guard lock(mutex_);
  for (const fs::path& path : certificateFiles()) {
    if (files::readFile(path) == der) return true;
  }
  return false;
}

std::int32_t FileKeychain::addCertificate(const Bytes& der, std::string_view label) {
  std::lock_guard lock(mutex_);
  std::string name = certificateName(label);
  std::error_code ec;
  if (fs::exists(folder_ / name, ec)) return keychainDuplicateItem;
  return write(name, der) ? keychainSuccess : keychainIOError;
}

void FileKeychain::deleteCertificates(std::string_view label) {
  std::lock_guard lock(mutex_);
  // With the key kept aside, the certificate a phone pins is what restores an
  // identity by hand: it is kept too.
  const fs::path path = folder_ / certificateName(label);
  std::error_code missing;
  if (fs::exists(path, missing)) (void)files::setAside(path, std::chrono::system_clock::now(), false, "replaced");
}

std::optional<Bytes> FileKeychain::certificate(std::string_view label) {
  std::lock_guard lock(mutex_);
  return files::readFile(folder_ / certificateName(label));
}

std::optional<Bytes> FileKeychain::genericPassword(std::string_view service, std::string_view account) {
  std::lock_guard lock(mutex_);
  return files::readFile(folder_ / passwordName(service, account));
}

std::int32_t FileKeychain::setGenericPassword(std::string_view service, std::string_view account, const Bytes& data) {
  std::lock_guard lock(mutex_);
  return write(passwordName(service, account), data) ? keychainSuccess : keychainIOError;
}

void FileKeychain::deleteGenericPassword(std::string_view service, std::string_view account) {
  std::lock_guard lock(mutex_);
  std::error_code ec;
  fs::remove(folder_ / passwordName(service, account), ec);
}

}  // namespace orvane
