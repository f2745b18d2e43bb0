#pragma once

#include <string>

#include "app/store/bridge_action.hpp"
#include "app/store/device_bridge_store.hpp"

namespace orvane {

// A question asked before an action that cannot be taken back: its title, its message,
// the destructive button that sends `action`, and "Cancel", which sends nothing.
struct Confirmation {
  std::string title;
  std::string message;
  std::string confirmTitle;
  std::string cancelTitle = "Cancel";
  BridgeAction action;

  // "Disconnect from this phone?": closes the link, keeps the pairing.
  static Confirmation disconnect();
  // "Forget this device?": deletes the pairing on both devices.
  static Confirmation forget();

  // The destructive button: hands `action` to the store's sink (dropped while none is installed).
  void confirm(const DeviceBridgeStore& store) const;

  bool operator==(const Confirmation&) const = default;
};

}  // namespace orvane
