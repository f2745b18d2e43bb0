#include "ui/models/popover_texts.hpp"

namespace orvane {

PopoverTexts PopoverTexts::of(const DeviceBridgeStore& store, const std::optional<std::string>& versionText) {
  const std::size_t count = store.notifications->size();
  return {store.connection->isConnected() ? "Phone linked" : "Menu bar agent",
          count == 0 ? "None" : std::to_string(count), "v" + versionText.value_or("")};
}

}  // namespace orvane
