#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "base/expected.hpp"

namespace orvane::phone {

// What the phone keeps after a pairing: its own credential, the computer's pin and
// where it last reached the computer. Stored as one JSON object, mode 0600.
struct PhoneState {
  std::string deviceID;
  std::string phoneToken;  // base64url without padding of 32 random bytes
  std::string pinB64;      // standard base64 of the SHA-256 of the computer's certificate
  std::string host;
  std::uint16_t port = 17431;
  std::string macName;
  std::optional<std::string> discoveryToken;

  // The error names the file and what is wrong with it.
  static expected<PhoneState, std::string> load(const std::filesystem::path& path);
  // Replaces the file atomically (mode 0600), creating its folder (0700) when missing.
  expected<void, std::string> save(const std::filesystem::path& path) const;
  // Deletes the file; a file that is already gone is not an error.
  static expected<void, std::string> remove(const std::filesystem::path& path);
};

}  // namespace orvane::phone
