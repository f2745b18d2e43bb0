#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "base/bytes.hpp"
#include "pairing/keychain.hpp"

namespace orvane {

// Reader and deleter of the generic-password items that earlier versions wrote under
// the service "com.orvane.app.mac"; kept for migration.
class SecureStore {
 public:
  static constexpr std::string_view service = "com.orvane.app.mac";
  explicit SecureStore(std::shared_ptr<Keychain> keychain) : keychain_(std::move(keychain)) {}
  std::optional<Bytes> get(std::string_view account) const { return keychain_->genericPassword(service, account); }
  void deleteItem(std::string_view account) const { keychain_->deleteGenericPassword(service, account); }

 private:
  std::shared_ptr<Keychain> keychain_;
};

}  // namespace orvane
