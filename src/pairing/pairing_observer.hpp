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
  // A phone that is not the paired one, or that no longer holds the paired phone's
  // credential, tried to authenticate and was refused with `reason` ("unknown_device",
  // "credential_rejected"); `deviceID` is what it claimed (empty when it claimed none).
  // Lets the user learn that a phone still holds an old pairing and should pair again.
  virtual void serverAuthRefused(const std::string& deviceID, const std::string& reason) = 0;
};

}  // namespace orvane
