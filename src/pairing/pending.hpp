#pragma once

#include <string>

#include "wire/transport.hpp"

namespace orvane {

// The pairing request awaiting the user's decision.
struct Pending {
  PeerID peerID = 0;
  std::string deviceID;    // 1 to 64 characters
  std::string deviceName;  // 1 to 128 characters
  std::string phoneToken;  // base64url of 32 bytes, as sent
};

}  // namespace orvane
