#include "ui/models/confirmation.hpp"

namespace orvane {

Confirmation Confirmation::disconnect() {
  return {"Disconnect from this phone?", "The pairing is kept. You can reconnect at any time.", "Disconnect", "Cancel",
          BridgeAction::disconnect()};
}

void Confirmation::confirm(const DeviceBridgeStore& store) const {
  if (store.perform) store.perform(action);
}

}  // namespace orvane
