#include "ui/models/command_palette.hpp"

#include <algorithm>

#include "base/text.hpp"

namespace orvane {

std::vector<CommandPalette::Item> CommandPalette::allItems(const DeviceBridgeStore& store) {
  std::vector<Item> items;
  for (HubTab tab : hubTabs) {
    const std::string title(titleOf(tab));
    items.push_back({"tab." + std::string(identifierOf(tab)), title, "Go to " + title, std::string(symbolOf(tab)),
                     PaletteCommand::selectTab(tab)});
  }
  items.push_back({"settings", "Open Settings\u2026", "\u2318,", "gearshape", PaletteCommand::openSettings()});
  items.push_back({"pair", "Pair a phone\u2026", std::nullopt, "qrcode.viewfinder", PaletteCommand::pair()});
  const bool connected = store.connection->isConnected();
  if (connected) {
    const bool syncing = store.features->clipboard;
    // The same writes as the popover's switch: the store bridge carries them out.
    items.push_back({"clip", syncing ? "Turn off clipboard sync" : "Turn on clipboard sync", std::nullopt,
                     "doc.on.clipboard", PaletteCommand::perform(BridgeAction::setClipboard(!syncing))});
    items.push_back(
        {"disconnect", "Disconnect", std::nullopt, "power", PaletteCommand::perform(BridgeAction::disconnect())});
  }
  if (!connected && *store.pairing == DeviceBridgeStore::PairingStatus::paired) {
    items.push_back(
        {"reconnect", "Reconnect", std::nullopt, "arrow.clockwise", PaletteCommand::perform(BridgeAction::connect())});
  }
  return items;
}

std::vector<CommandPalette::Item> CommandPalette::filtered(std::vector<Item> items, std::string_view query) {
  const std::string wanted = text::lower(text::trim(query));
  if (wanted.empty()) return items;
  std::erase_if(items, [&](const Item& item) {
    const bool inTitle = text::lower(item.title).find(wanted) != std::string::npos;
    const bool inDetail = item.detail && text::lower(*item.detail).find(wanted) != std::string::npos;
    return !inTitle && !inDetail;
  });
  return items;
}

void CommandPalette::open() {
  presented_ = true;
  query_.clear();
  index_ = 0;
}

void CommandPalette::setQuery(std::string query) {
  query_ = std::move(query);
  index_ = 0;
}

std::optional<std::string> CommandPalette::emptyText() const {
  if (items().empty()) return noMatches;
  return std::nullopt;
}

std::optional<PaletteCommand> CommandPalette::press(Key key) {
  if (!presented_) return std::nullopt;
  switch (key) {
    case Key::up:
      if (index_ > 0) --index_;
      return std::nullopt;
    case Key::down: {
      const std::size_t count = items().size();
      index_ = count == 0 ? 0 : std::min(index_ + 1, count - 1);
      return std::nullopt;
    }
    case Key::escape:
      presented_ = false;
      return std::nullopt;
    case Key::enter:
      return run(index_);
  }
  return std::nullopt;
}

std::optional<PaletteCommand> CommandPalette::click(std::size_t row) {
  if (!presented_) return std::nullopt;
  return run(row);
}

std::optional<PaletteCommand> CommandPalette::run(std::size_t row) {
  std::vector<Item> shown = items();
  if (row >= shown.size()) return std::nullopt;
  presented_ = false;
  return std::move(shown[row].run);
}

}  // namespace orvane
