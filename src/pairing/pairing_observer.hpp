#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pairing/qr_image.hpp"

namespace orvane {

// Hears invitations, pairing requests, the paired phone and its address. Called on
// the server's queue; returns at once.
class PairingObserver {
 public:
  virtual ~PairingObserver() = default;
  virtual void serverInvitationChanged(const std::string& qrText, double expiresIn, const std::string& ip,
                                       std::uint16_t port, const std::vector<std::string>& allIPs,
                                       const std::optional<QRImage>& image) = 0;
  virtual void serverPendingRequest(const std::string& deviceName, const std::string& deviceID) = 0;
  virtual void serverPendingCleared() = 0;
  virtual void serverPairedDeviceChanged(const std::optional<std::string>& name, const std::optional<std::string>& id) = 0;
  virtual void serverHistoryCleared() = 0;
  virtual void serverPhoneAddressChanged(const std::optional<std::string>& address) = 0;
};

}  // namespace orvane
