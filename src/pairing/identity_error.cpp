#include "pairing/identity_error.hpp"

namespace orvane {

std::string IdentityError::description() const {
  struct Describe {
    std::string operator()(const Keychain& e) const {
      return "Keychain failed during " + e.operation + " (OSStatus " + std::to_string(e.status) + ")";
    }
    std::string operator()(const Crypto& e) const { return "Crypto failed: " + e.message; }
    std::string operator()(const CertCreation&) const { return "Could not create certificate object"; }
  };
  return std::visit(Describe{}, value);
}

}  // namespace orvane
