#include "ui/models/menu_bar_icon.hpp"

namespace orvane {

MenuBarIcon MenuBarIcon::of(const DeviceBridgeStore& store) {
  const bool connected = store.connection->isConnected();
  return {connected, connected ? "Orvane, phone connected" : "Orvane, phone disconnected"};
}

}  // namespace orvane
