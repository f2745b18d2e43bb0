#include "pairing/mac_identity.hpp"

#include <cstdio>

namespace orvane {

std::string MacIdentity::fingerprintText() const {
  std::string text;
  for (std::size_t i = 0; i < 4 && i < fingerprintSHA256.size(); ++i) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", fingerprintSHA256[i]);
    text += digits;
  }
  return text;
}

}  // namespace orvane
