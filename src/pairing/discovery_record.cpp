#include "pairing/discovery_record.hpp"

#include "base/codec.hpp"
#include "base/crypto.hpp"

namespace orvane::DiscoveryRecord {

std::optional<DiscoveryService> service(const std::optional<PairedDevice>& paired, const std::string& installID) {
  if (!paired || !paired->discoveryToken || paired->discoveryToken->empty()) return std::nullopt;
  const std::string txt = "th=" + codec::base64urlEncode(crypto::sha256(*paired->discoveryToken));
  // The wire form of a TXT record: a length byte before each string.
  Bytes record;
  record.push_back(static_cast<std::uint8_t>(txt.size()));
  record.insert(record.end(), txt.begin(), txt.end());
  return DiscoveryService{"Orvane-" + installID.substr(0, 4), serviceType, std::move(record)};
}

}  // namespace orvane::DiscoveryRecord
