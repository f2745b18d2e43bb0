#pragma once

#include "base/bytes.hpp"
#include "wire/transport.hpp"

namespace orvane {

// This computer's TLS identity as handed to the server.
struct MacIdentity {
  Bytes certDER;                     // exactly as built or as stored
  Bytes fingerprintSHA256;           // SHA-256 of certDER: the pin in the QR code
  TlsIdentityMaterial secIdentity;   // certificate plus private key for the TLS layer
  bool created = false;              // made by this start, not found again

  // First 4 bytes of the fingerprint as 8 lower-case hexadecimal digits.
  std::string fingerprintText() const;
};

}  // namespace orvane
