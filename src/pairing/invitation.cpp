#include "pairing/invitation.hpp"

#include <random>

#include "base/codec.hpp"
#include "base/crypto.hpp"

namespace orvane {

namespace {
constexpr std::size_t tokenBytes = 16;
}  // namespace

Invitation Invitation::generate(WallTime now) {
  Bytes bytes = crypto::secureRandom(tokenBytes).value_or(Bytes{});
  if (bytes.size() != tokenBytes) {
    // OpenSSL's generator only fails when it cannot seed itself. The kernel source
    // behind std::random_device still gives an unguessable token in that case, and a
    // Mac without a pairing code would be worse than one whose code came from there.
    std::random_device device;
    bytes.resize(tokenBytes);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(device());
  }
  // 16 bytes are 22 base64url characters once the two "=" are dropped.
  return Invitation{codec::base64urlEncode(bytes), now + lifetime, false};
}

}  // namespace orvane
