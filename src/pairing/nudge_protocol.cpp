#include "pairing/nudge_protocol.hpp"

#include "base/codec.hpp"
#include "base/crypto.hpp"

namespace orvane::NudgeProtocol {

namespace {
constexpr std::size_t keyBytes = 32;
constexpr std::string_view tag = "WKN1";
}  // namespace

std::optional<std::string> line(const std::string& deviceID, std::int64_t stamp, const std::string& tokenHashB64) {
  // The key is the SHA-256 of the phone's token, which the phone derives from its own
  // token; the token itself never travels in a nudge.
  const auto key = codec::base64Decode(tokenHashB64);
  if (!key || key->size() != keyBytes) return std::nullopt;
  const std::string stampText = std::to_string(stamp);
  const Bytes mac = crypto::hmacSha256(*key, std::string(tag) + "|" + deviceID + "|" + stampText);
  if (mac.size() != 32) return std::nullopt;  // the digest itself failed (allocation)
  return std::string(tag) + " " + deviceID + " " + stampText + " " + codec::base64urlEncode(mac);
}

}  // namespace orvane::NudgeProtocol
