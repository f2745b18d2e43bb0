#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvane::NudgeProtocol {

inline constexpr std::uint16_t port = 17432;

// "WKN1 <deviceID> <stamp> <mac>" without the line feed, where mac is base64url (no
// "=") of HMAC-SHA256("WKN1|<deviceID>|<stamp>") keyed with the 32 bytes decoded
// from `tokenHashB64`; none when those are not exactly 32 bytes.
std::optional<std::string> line(const std::string& deviceID, std::int64_t stamp, const std::string& tokenHashB64);

}  // namespace orvane::NudgeProtocol
