#include "pairing/keychain.hpp"

#include <algorithm>

namespace orvane {

std::optional<crypto::EcPrivateKey> MemoryKeychain::findPrivateKey(const Bytes& tag) {
  ++keyLookups;
  for (const KeyItem& item : keys_) {
    if (item.tag == tag) return item.key;
  }
  return std::nullopt;
}

std::vector<crypto::EcPrivateKey> MemoryKeychain::allPrivateKeys() {
  ++keyLookups;
  std::vector<crypto::EcPrivateKey> keys;
  for (const KeyItem& item : keys_) keys.push_back(item.key);
  return keys;
}

void MemoryKeychain::deletePrivateKeys(const Bytes& tag) {
  std::erase_if(keys_, [&](const KeyItem& item) { return item.tag == tag; });
}

expected<crypto::EcPrivateKey, std::string> MemoryKeychain::createPrivateKey(const Bytes& tag) {
  if (failKeyCreation) return unexpected(std::string("The key could not be generated."));
  auto key = crypto::EcPrivateKey::generate();
  if (!key) return unexpected(key.error());
  keys_.push_back({tag, *key});
  return *key;
}

bool MemoryKeychain::containsCertificate(const Bytes& der) {
  return std::any_of(certs_.begin(), certs_.end(), [&](const CertItem& item) { return item.der == der; });
}

std::int32_t MemoryKeychain::addCertificate(const Bytes& der, std::string_view label) {
  if (certificateAddStatus != keychainSuccess) return certificateAddStatus;
  if (std::any_of(certs_.begin(), certs_.end(), [&](const CertItem& item) { return item.label == label; })) {
    return keychainDuplicateItem;
  }
  certs_.push_back({der, std::string(label)});
  return keychainSuccess;
}

void MemoryKeychain::deleteCertificates(std::string_view label) {
  std::erase_if(certs_, [&](const CertItem& item) { return item.label == label; });
}

std::optional<Bytes> MemoryKeychain::certificate(std::string_view label) {
  for (const CertItem& item : certs_) {
    if (item.label == label) return item.der;
  }
  return std::nullopt;
}

std::optional<Bytes> MemoryKeychain::genericPassword(std::string_view service, std::string_view account) {
  for (const PasswordItem& item : passwords_) {
    if (item.service == service && item.account == account) return item.data;
  }
  return std::nullopt;
}

std::int32_t MemoryKeychain::setGenericPassword(std::string_view service, std::string_view account,
                                                const Bytes& data) {
  for (PasswordItem& item : passwords_) {
    if (item.service == service && item.account == account) {
      item.data = data;
      return keychainSuccess;
    }
  }
  passwords_.push_back({std::string(service), std::string(account), data});
  return keychainSuccess;
}

void MemoryKeychain::deleteGenericPassword(std::string_view service, std::string_view account) {
  std::erase_if(passwords_,
                [&](const PasswordItem& item) { return item.service == service && item.account == account; });
}

}  // namespace orvane
