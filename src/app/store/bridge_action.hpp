#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace orvane {

// One thing the user asked for, from any view. The views never call the hub or the
// server for these; they hand the action to the store's sink, and the store bridge
// carries it out.
struct BridgeAction {
  struct SetClipboard { bool enabled = false; bool operator==(const SetClipboard&) const = default; };
  struct Media { std::string command; bool operator==(const Media&) const = default; };
  struct DismissNotification { std::string id; bool operator==(const DismissNotification&) const = default; };
  struct SendMessage { std::string text; bool operator==(const SendMessage&) const = default; };
  struct ReplyNotification {
    std::string id;
    std::string text;
    bool operator==(const ReplyNotification&) const = default;
  };
  struct SendLink { std::string url; bool operator==(const SendLink&) const = default; };
  struct RenameDevice { std::string name; bool operator==(const RenameDevice&) const = default; };
  struct Connect { bool operator==(const Connect&) const = default; };
  struct Disconnect { bool operator==(const Disconnect&) const = default; };
  struct Forget { bool operator==(const Forget&) const = default; };
  struct Approve { bool operator==(const Approve&) const = default; };
  struct Deny { bool operator==(const Deny&) const = default; };
  struct RegenerateInvite { bool operator==(const RegenerateInvite&) const = default; };
  struct MarkNotificationsRead { bool operator==(const MarkNotificationsRead&) const = default; };
  struct OpenAccessibilitySettings { bool operator==(const OpenAccessibilitySettings&) const = default; };
  struct ClearClipHistory { bool operator==(const ClearClipHistory&) const = default; };
  // A view began (true) or stopped (false) showing the invitation's countdown, which
  // ticks while any view shows it. Each start is ended by one stop.
  struct ShowCountdown {
    bool shown = false;
    bool operator==(const ShowCountdown&) const = default;
  };

  using Value = std::variant<SetClipboard, Media, DismissNotification, SendMessage, ReplyNotification, SendLink,
                             RenameDevice, Connect, Disconnect, Forget, Approve, Deny, RegenerateInvite,
                             MarkNotificationsRead, OpenAccessibilitySettings, ClearClipHistory, ShowCountdown>;
  Value value;

  static BridgeAction setClipboard(bool enabled) { return {SetClipboard{enabled}}; }
  static BridgeAction media(std::string command) { return {Media{std::move(command)}}; }
  static BridgeAction dismissNotification(std::string id) { return {DismissNotification{std::move(id)}}; }
  static BridgeAction sendMessage(std::string text) { return {SendMessage{std::move(text)}}; }
  static BridgeAction replyNotification(std::string id, std::string text) {
    return {ReplyNotification{std::move(id), std::move(text)}};
  }
  static BridgeAction sendLink(std::string url) { return {SendLink{std::move(url)}}; }
  static BridgeAction renameDevice(std::string name) { return {RenameDevice{std::move(name)}}; }
  static BridgeAction connect() { return {Connect{}}; }
  static BridgeAction disconnect() { return {Disconnect{}}; }
  static BridgeAction forget() { return {Forget{}}; }
  static BridgeAction approve() { return {Approve{}}; }
  static BridgeAction deny() { return {Deny{}}; }
  static BridgeAction regenerateInvite() { return {RegenerateInvite{}}; }
  static BridgeAction markNotificationsRead() { return {MarkNotificationsRead{}}; }
  static BridgeAction openAccessibilitySettings() { return {OpenAccessibilitySettings{}}; }
  static BridgeAction clearClipHistory() { return {ClearClipHistory{}}; }
  static BridgeAction showCountdown(bool shown) { return {ShowCountdown{shown}}; }

  bool operator==(const BridgeAction&) const = default;
};

}  // namespace orvane
