#include "nudge_check.hpp"

#include "base/codec.hpp"
#include "base/text.hpp"
#include "pairing/nudge_protocol.hpp"
#include "pairing/server_rules.hpp"

namespace orvane::phone {

namespace {
constexpr std::string_view tag = "WKN1";
}

expected<NudgeCheck, std::string> NudgeCheck::from(const PhoneState& state) {
  const auto hash = ServerRules::tokenHash(state.phoneToken);
  if (!hash) return unexpected(std::string("the saved phone token is not base64url of 32 bytes"));
  return NudgeCheck(state.deviceID, codec::base64Encode(*hash));
}

NudgeVerdict NudgeCheck::verify(std::string_view line) const {
  NudgeVerdict verdict;
  // The tag comes first, the stamp and the MAC last; whatever lies between is the
  // device id, which may itself hold spaces.
  const auto first = line.find(' ');
  const auto last = line.rfind(' ');
  const auto beforeLast = last == std::string_view::npos || last == 0 ? std::string_view::npos : line.rfind(' ', last - 1);
  if (first == std::string_view::npos || beforeLast == std::string_view::npos || beforeLast <= first ||
      line.substr(0, first) != tag) {
    verdict.reason = "malformed";
    return verdict;
  }
  verdict.deviceID = std::string(line.substr(first + 1, beforeLast - first - 1));
  verdict.stamp = text::parseInt64(line.substr(beforeLast + 1, last - beforeLast - 1));
  if (!verdict.stamp || verdict.deviceID->empty()) {
    verdict.reason = "malformed";
    return verdict;
  }
  if (*verdict.deviceID != deviceID_) {
    verdict.reason = "unknown_device";
    return verdict;
  }
  // Recomputing the whole line covers the MAC and the exact form of every field.
  const auto expected = NudgeProtocol::line(deviceID_, *verdict.stamp, tokenHashB64_);
  if (!expected || !constantTimeEqual(toBytes(*expected), toBytes(line))) {
    verdict.reason = "bad_mac";
    return verdict;
  }
  verdict.valid = true;
  return verdict;
}

}  // namespace orvane::phone
