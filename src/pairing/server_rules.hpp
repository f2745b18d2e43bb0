#pragma once

#include <optional>
#include <string>
#include <variant>

#include "base/bytes.hpp"
#include "base/clock.hpp"
#include "pairing/invitation.hpp"
#include "wire/envelope.hpp"

namespace orvane {

// Byte comparison without an early exit (different lengths are unequal at once).
bool constantTimeEqual(const Bytes& a, const Bytes& b);

namespace ServerRules {

struct Reject {
  std::string code;
  bool operator==(const Reject&) const = default;
};
struct Accept {
  std::string deviceID;
  std::string deviceName;  // the first 128 characters of what was sent
  std::string phoneToken;
  bool operator==(const Accept&) const = default;
};
using Decision = std::variant<Reject, Accept>;

// What `authenticate` checks against.
struct Binding {
  std::string deviceID;
  Bytes tokenHash;  // decoded from tokenHashB64; empty when that is not valid base64
};

// SHA-256 of the 32 bytes that `token` (base64url, padding optional) decodes to; none
// when it does not decode to exactly 32 bytes.
std::optional<Bytes> tokenHash(std::string_view token);

// Decides a `pair_request`. Marks `invitation` consumed once its token matched,
// whatever the later checks say; changes nothing else.
Decision decidePairRequest(std::optional<Invitation>& invitation, const std::optional<std::string>& pairedID,
                           bool pendingExists, const Body& body, WallTime now);

}  // namespace ServerRules
}  // namespace orvane
