#pragma once

#include <memory>
#include <string>

#include "app/app_state.hpp"
#include "app/store/device_bridge_store.hpp"
#include "cli/event_printer.hpp"
#include "cli/headless_view.hpp"

namespace orvane::cli {

// The headless program's commands, one per line of standard input. Each user intent
// goes through the store as the windows' would: an action through its sink, or one of
// its own operations (replying in a chat, clearing the chats). Only what has no action
// (the link-opening switch, putting text on the clipboard, sending it now) calls the
// hub. What cannot be done is said on the terminal, never silently dropped.
class HeadlessCommands {
 public:
  HeadlessCommands(std::shared_ptr<DeviceBridgeStore> store, std::shared_ptr<AppState> hub,
                   std::shared_ptr<HeadlessView> view, std::shared_ptr<EventPrinter> printer);

  enum class Outcome { done, quit };
  Outcome run(const std::string& line);

  static constexpr const char* usage =
      "approve, deny, forget, disconnect, reconnect, new-code, send-message TEXT, send-link URL, dismiss ID, "
      "reply ID TEXT, phone-media play|pause|next|prev, chats, chat-reply CONVERSATION-ID TEXT, clear-chats, "
      "auto-open on|off, clipboard on|off, copy TEXT, send-clipboard, rename NAME, quit";

 private:
  void act(const BridgeAction& action);
  bool connectedOr(const std::string& why);
  void chatReply(const std::string& argument);
  void phoneMedia(const std::string& word);

  std::shared_ptr<DeviceBridgeStore> store_;
  std::shared_ptr<AppState> hub_;
  std::shared_ptr<HeadlessView> view_;
  std::shared_ptr<EventPrinter> printer_;
};

}  // namespace orvane::cli
