#pragma once

#include <string>

#include "base/clock.hpp"

namespace orvane {

// The one-time pairing token shown in the QR code.
struct Invitation {
  static constexpr auto lifetime = std::chrono::seconds(300);

  std::string token;   // 22 characters of base64url (16 random bytes), no "="
  WallTime expiresAt;  // creation + 300 s
  bool consumed = false;

  static Invitation generate(WallTime now);
  // Expired when `now` is not before `expiresAt`.
  bool isExpired(WallTime now) const { return !(now < expiresAt); }
};

}  // namespace orvane
