#include "ui/models/hub_pane_texts.hpp"

#include "base/text.hpp"

namespace orvane {

std::string railDetail(const DeviceBridgeStore& store) {
  if (*store.pairing == DeviceBridgeStore::PairingStatus::none) return "Pair your phone to begin";
  return store.connection->isConnected() ? "Paired \u00b7 same network" : "Paired \u00b7 not connected";
}

DisconnectedPane DisconnectedPane::of(const DeviceBridgeStore& store) {
  if (*store.pairing != DeviceBridgeStore::PairingStatus::none) {
    return {"Not connected", "Your phone is paired but unreachable. Check that both devices are on the same Wi-Fi.",
            Button::reconnect, "Reconnect"};
  }
  return {"No device paired", "Open Orvane on your Android phone and scan the QR code to begin.", Button::pair,
          "Pair a device"};
}

EmptyState clipboardEmptyState(bool syncOn) {
  if (!syncOn) return {"Clipboard sync is off", "Turn sync on above to start collecting copies."};
  return {"Nothing copied yet", "Copy text on either device and it lands here."};
}

std::optional<EmptyState> messagesEmptyState(bool hasConversations, bool hasSelection) {
  if (!hasConversations) return EmptyState{"No chats yet", "New message notifications from your phone will appear here."};
  if (!hasSelection) return EmptyState{"Choose a chat", "Select a recent conversation to view its messages."};
  return std::nullopt;
}

namespace {

PlayerCard card(const BridgeMedia& media) {
  PlayerCard c;
  c.title = media.title && !media.title->empty() ? *media.title : media.app;
  c.artist = media.artist.value_or("");
  c.album = media.album.value_or("");
  c.app = media.app;
  c.playing = media.isPlaying;
  c.playPauseLabel = media.isPlaying ? "Pause" : "Play";
  return c;
}

}  // namespace

PlayerCard PlayerCard::phone(const BridgeMedia& media) {
  PlayerCard c = card(media);
  c.state = media.isPlaying ? "PLAYING ON YOUR PHONE" : "PAUSED ON YOUR PHONE";
  return c;
}

PlayerCard PlayerCard::computer(const BridgeMedia& media) {
  PlayerCard c = card(media);
  c.state = media.isPlaying ? "Playing" : "Paused";
  return c;
}

bool LinkComposer::canSend(std::string_view field) {
  return field.find_first_not_of(" \t") != std::string_view::npos;
}

std::optional<std::string> LinkComposer::linkToSend(std::string_view field) {
  std::string link = text::trim(field);
  if (link.empty()) return std::nullopt;
  return link;
}

}  // namespace orvane
