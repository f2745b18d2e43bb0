#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/bytes.hpp"
#include "base/expected.hpp"

namespace orvane {

// What the computer's pairing QR code says, written by the computer and read by a phone:
// "ZEL1|ip=<IPv4 or empty>|port=<decimal>|pin=<base64 SHA-256 of its certificate>|tok=<invitation>|exp=<unix seconds>".
struct QrPayload {
  std::string ip;  // may be empty when the computer has no IPv4 address
  std::uint16_t port = 0;
  Bytes pin;  // 32 bytes
  std::string token;
  std::int64_t expiresAt = 0;

  // Every one of the five fields must be present once; unknown fields are ignored so
  // that a later code with more fields still reads. The error says what is wrong.
  static expected<QrPayload, std::string> parse(std::string_view text);
  // The text in the form above, fields in that order; the pin in standard base64.
  std::string format() const;
};

}  // namespace orvane
