#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/bytes.hpp"
#include "base/expected.hpp"

namespace orvane::phone {

// What the computer's pairing QR code says:
// "ZEL1|ip=<IPv4 or empty>|port=<decimal>|pin=<base64 SHA-256 of its certificate>|tok=<invitation>|exp=<unix seconds>".
struct QrText {
  std::string ip;  // may be empty when the computer has no IPv4 address
  std::uint16_t port = 0;
  Bytes pin;  // 32 bytes
  std::string token;
  std::int64_t expiresAt = 0;

  // Every one of the five fields must be present once; unknown fields are ignored so
  // that a later code with more fields still reads. The error says what is wrong.
  static expected<QrText, std::string> parse(std::string_view text);
};

}  // namespace orvane::phone
