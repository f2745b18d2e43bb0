#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/expected.hpp"
#include "phone_state.hpp"

namespace orvane::phone {

// What the phone concludes from one reconnect line "WKN1 <deviceID> <stamp> <mac>".
struct NudgeVerdict {
  bool valid = false;
  std::optional<std::string> deviceID;
  std::optional<std::int64_t> stamp;
  std::string reason;  // empty when valid: "malformed", "unknown_device" or "bad_mac"
};

// Checks reconnect lines against the phone's own pairing: the computer keys its MAC
// with the SHA-256 of the phone token, which the phone derives from the token it keeps.
class NudgeCheck {
 public:
  // Fails when the saved phone token is not base64url of 32 bytes.
  static expected<NudgeCheck, std::string> from(const PhoneState& state);

  // `line` without its line feed.
  NudgeVerdict verify(std::string_view line) const;

 private:
  NudgeCheck(std::string deviceID, std::string tokenHashB64)
      : deviceID_(std::move(deviceID)), tokenHashB64_(std::move(tokenHashB64)) {}
  std::string deviceID_;
  std::string tokenHashB64_;
};

}  // namespace orvane::phone
