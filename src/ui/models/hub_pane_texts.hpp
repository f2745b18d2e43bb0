#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/store/device_bridge_store.hpp"

// The words of the hub window that depend on the state: the rail's detail line, the
// pane shown while the link is down, the panes' empty states and the player cards.
namespace orvane {

// Under the device's title in the rail.
std::string railDetail(const DeviceBridgeStore& store);

// A title with the line under it, for an empty state.
struct EmptyState {
  std::string title;
  std::string detail;
  bool operator==(const EmptyState&) const = default;
};

// The centre while the link is down, whichever tab is selected.
struct DisconnectedPane {
  enum class Button { reconnect, pair };
  std::string title;
  std::string detail;
  Button button = Button::pair;
  std::string buttonTitle;

  static DisconnectedPane of(const DeviceBridgeStore& store);
  bool operator==(const DisconnectedPane&) const = default;
};

// The Clipboard pane with no entries to show: sync off, or nothing copied yet.
EmptyState clipboardEmptyState(bool syncOn);

// The Messages pane: none when there are conversations and one is chosen.
std::optional<EmptyState> messagesEmptyState(bool hasConversations, bool hasSelection);

// A player card of the Now Playing pane.
struct PlayerCard {
  std::string title;  // the track, or the player's name for a track without a title
  std::string artist;
  std::string album;
  std::string app;
  std::string state;  // "PLAYING ON YOUR PHONE" / "PAUSED ON YOUR PHONE" for the phone
  std::string playPauseLabel;  // "Pause" while playing, else "Play"
  bool playing = false;

  static PlayerCard phone(const BridgeMedia& media);
  // This computer's own player, which the phone controls.
  static PlayerCard computer(const BridgeMedia& media);
  bool operator==(const PlayerCard&) const = default;
};

// The Links pane's composer.
struct LinkComposer {
  // "Send" is enabled once the field holds more than spaces and tabs.
  static bool canSend(std::string_view field);
  // What pressing Return or "Send" sends: the field trimmed of white space and newlines;
  // none when nothing is left, and the field then keeps its text.
  static std::optional<std::string> linkToSend(std::string_view field);
};

}  // namespace orvane
