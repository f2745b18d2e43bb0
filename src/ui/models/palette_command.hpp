#pragma once

#include <variant>

#include "app/store/bridge_action.hpp"
#include "ui/models/hub_tab.hpp"

namespace orvane {

// What a command of the palette asks for, carried out by the window that shows the
// palette: select a work area, show the settings, bring up the pairing sheet, or hand
// an action to the store's sink.
struct PaletteCommand {
  struct SelectTab {
    HubTab tab = HubTab::messages;
    bool operator==(const SelectTab&) const = default;
  };
  struct OpenSettings {
    bool operator==(const OpenSettings&) const = default;
  };
  struct Pair {
    bool operator==(const Pair&) const = default;
  };
  struct Perform {
    BridgeAction action;
    bool operator==(const Perform&) const = default;
  };
  using Value = std::variant<SelectTab, OpenSettings, Pair, Perform>;

  Value value;

  static PaletteCommand selectTab(HubTab tab) { return {SelectTab{tab}}; }
  static PaletteCommand openSettings() { return {OpenSettings{}}; }
  static PaletteCommand pair() { return {Pair{}}; }
  static PaletteCommand perform(BridgeAction action) { return {Perform{std::move(action)}}; }

  bool operator==(const PaletteCommand&) const = default;
};

}  // namespace orvane
