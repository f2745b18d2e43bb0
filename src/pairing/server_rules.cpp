#include "pairing/server_rules.hpp"

#include <algorithm>

#include "base/codec.hpp"
#include "base/crypto.hpp"
#include "base/text.hpp"

namespace orvane {

bool constantTimeEqual(const Bytes& a, const Bytes& b) {
  // The length of a token is not a secret; its content is.
  if (a.size() != b.size()) return false;
  std::uint8_t difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) difference |= static_cast<std::uint8_t>(a[i] ^ b[i]);
  return difference == 0;
}

namespace ServerRules {

namespace {

constexpr std::size_t phoneTokenBytes = 32;
constexpr std::size_t maxDeviceIDLength = 64;
constexpr std::size_t maxDeviceNameLength = 128;

const std::string* nonEmpty(const Body& body, std::string_view key) {
  auto it = body.find(key);
  if (it == body.end() || it->second.empty()) return nullptr;
  return &it->second;
}

Reject reject(std::string code) { return Reject{std::move(code)}; }

}  // namespace

std::optional<Bytes> tokenHash(std::string_view token) {
  // The phone sends base64url, with or without padding; both reach the same bytes
  // through the standard alphabet with the padding restored.
  std::string standard(token);
  std::replace(standard.begin(), standard.end(), '-', '+');
  std::replace(standard.begin(), standard.end(), '_', '/');
  while (standard.size() % 4 != 0) standard.push_back('=');
  const auto bytes = codec::base64Decode(standard);
  if (!bytes || bytes->size() != phoneTokenBytes) return std::nullopt;
  return crypto::sha256(*bytes);
}

Decision decidePairRequest(std::optional<Invitation>& invitation, const std::optional<std::string>& pairedID,
                           bool pendingExists, const Body& body, WallTime now) {
  // The invitation is checked before anything else, so that a phone without a valid
  // code learns nothing about the state of the pairing.
  const std::string* presented = nonEmpty(body, "invitation_token");
  if (!invitation || invitation->consumed || invitation->isExpired(now) || body.empty() || !presented) {
    return reject("invalid_or_expired_invitation");
  }
  if (!constantTimeEqual(toBytes(*presented), toBytes(invitation->token))) {
    return reject("invalid_or_expired_invitation");
  }
  // One use per code, whatever follows: a request that got this far with a correct
  // code must not be replayed to probe the checks below.
  invitation->consumed = true;

  const std::string* deviceID = nonEmpty(body, "device_id");
  const std::string* deviceName = nonEmpty(body, "device_name");
  const std::string* phoneToken = nonEmpty(body, "phone_token");
  if (!deviceID || text::longerThan(*deviceID, maxDeviceIDLength) || !deviceName || !phoneToken) {
    return reject("bad_request");
  }
  if (!tokenHash(*phoneToken)) return reject("invalid_credential");
  if (pairedID) return reject("already_paired");
  if (pendingExists) return reject("approval_busy");
  return Accept{*deviceID, text::prefixGraphemes(*deviceName, maxDeviceNameLength), *phoneToken};
}

}  // namespace ServerRules
}  // namespace orvane
