#include "ui/models/pairing_sheet_presenter.hpp"

namespace orvane {

PairingSheetPresenter::PairingSheetPresenter(DeviceBridgeStore& store) {
  // Both fields tell only of real changes: a pairing that stays paired, or a request
  // already showing, moves nothing.
  subscriptions_.push_back(store.pairing.subscribe([this](DeviceBridgeStore::PairingStatus pairing) {
    if (pairing == DeviceBridgeStore::PairingStatus::paired) dismiss();
  }));
  subscriptions_.push_back(store.pendingDeviceName.subscribe([this](const std::optional<std::string>& name) {
    if (name) request();
  }));
}

}  // namespace orvane
