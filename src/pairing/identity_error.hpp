#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace orvane {

// Keychain status codes (the platform's OSStatus values the identity code relies on).
inline constexpr std::int32_t keychainSuccess = 0;
inline constexpr std::int32_t keychainAuthFailed = -25293;
inline constexpr std::int32_t keychainDuplicateItem = -25299;
inline constexpr std::int32_t keychainItemNotFound = -25300;
inline constexpr std::int32_t keychainIOError = -36;

// Why the TLS identity could not be loaded or created; `description()` is shown as
// the server's error state.
struct IdentityError {
  struct Keychain {
    std::int32_t status;
    std::string operation;
    bool operator==(const Keychain&) const = default;
  };
  struct Crypto {
    std::string message;
    bool operator==(const Crypto&) const = default;
  };
  struct CertCreation {
    bool operator==(const CertCreation&) const = default;
  };
  std::variant<Keychain, Crypto, CertCreation> value;

  static IdentityError keychain(std::int32_t status, std::string operation) { return {Keychain{status, std::move(operation)}}; }
  static IdentityError crypto(std::string message) { return {Crypto{std::move(message)}}; }
  static IdentityError certCreation() { return {CertCreation{}}; }

  // "Keychain failed during <operation> (OSStatus <status>)", "Crypto failed: <message>",
  // "Could not create certificate object".
  std::string description() const;
  bool operator==(const IdentityError&) const = default;
};

}  // namespace orvane
