#include "ui/models/confirmation.hpp"

namespace orvane {

Confirmation Confirmation::disconnect() {
  return {"Disconnect from this phone?", "The pairing is kept. You can reconnect at any time.", "Disconnect", "Cancel",
          BridgeAction::disconnect()};
}

Confirmation Confirmation::forget() {
  return {"Forget this device?", "The pairing is deleted on both devices. Scan a new QR code to reconnect.",
          "Forget device", "Cancel", BridgeAction::forget()};
}

void Confirmation::confirm(const DeviceBridgeStore& store) const {
  if (store.perform) store.perform(action);
}

}  // namespace orvane
