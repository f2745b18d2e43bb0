#include "ui/models/rail_primary_action.hpp"

namespace orvane {

RailPrimaryAction RailPrimaryAction::of(const DeviceBridgeStore& store) {
  if (store.connection->isConnected()) {
    return {Kind::disconnect, "Disconnect", "power", "Keep the pairing and close the link"};
  }
  // A revoked pairing still counts as one: the phone is known, only the link is down.
  if (*store.pairing == DeviceBridgeStore::PairingStatus::none) {
    return {Kind::pair, "Pair a device", "qrcode", std::nullopt};
  }
  return {Kind::reconnect, "Reconnect", "arrow.clockwise", std::nullopt};
}

std::optional<Confirmation> RailPrimaryAction::press(const DeviceBridgeStore& store,
                                                     const std::function<void()>& onPair) const {
  switch (kind) {
    case Kind::disconnect:
      return Confirmation::disconnect();
    case Kind::pair:
      if (onPair) onPair();
      return std::nullopt;
    case Kind::reconnect:
      if (store.perform) store.perform(BridgeAction::connect());
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace orvane
