#include "ui/models/stale_pairing_notice.hpp"

namespace orvane {

StalePairingNotice::StalePairingNotice(Published<std::optional<StaleAuthAttempt>>& refusals, DeviceBridgeStore& store) {
  subscriptions_.push_back(refusals.subscribe([this, &store](const std::optional<StaleAuthAttempt>& refusal) {
    if (refusal && !store.connection->isConnected()) raised = true;
  }));
  subscriptions_.push_back(store.connection.subscribe([this](const BridgeConnection& connection) {
    if (connection.isConnected()) raised = false;
  }));
  // The bridge shows a newly paired phone as a new device, even one of the same name.
  subscriptions_.push_back(store.device.subscribe([this](const std::optional<BridgeDevice>& device) {
    if (device) raised = false;
  }));
}

}  // namespace orvane
