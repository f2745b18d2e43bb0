#include "cli/headless_commands.hpp"

#include <algorithm>

#include "base/text.hpp"
#include "features/notifications/url_gate.hpp"

namespace orvane::cli {

namespace {
// "ID TEXT": the first word and the rest; none when either is missing.
std::optional<std::pair<std::string, std::string>> idAndText(const std::string& argument) {
  const auto gap = argument.find(' ');
  if (gap == std::string::npos) return std::nullopt;
  std::string rest = text::trim(argument.substr(gap + 1));
  if (rest.empty()) return std::nullopt;
  return std::pair{argument.substr(0, gap), std::move(rest)};
}
}  // namespace

HeadlessCommands::HeadlessCommands(std::shared_ptr<DeviceBridgeStore> store, std::shared_ptr<AppState> hub,
                                   std::shared_ptr<HeadlessView> view, std::shared_ptr<EventPrinter> printer)
    : store_(std::move(store)), hub_(std::move(hub)), view_(std::move(view)), printer_(std::move(printer)) {}

void HeadlessCommands::act(const BridgeAction& action) {
  if (store_->perform) store_->perform(action);
}

bool HeadlessCommands::connectedOr(const std::string& why) {
  if (store_->connection->isConnected()) return true;
  printer_->note("No phone is connected; " + why);
  return false;
}

void HeadlessCommands::chatReply(const std::string& argument) {
  // A conversation's id holds its contact's name, spaces and all: the id is the
  // longest one the argument starts with, followed by the text.
  const auto& conversations = *store_->chatConversations;
  const ChatConversation* found = nullptr;
  for (const ChatConversation& c : conversations) {
    if (argument.size() > c.id.size() + 1 && argument.compare(0, c.id.size(), c.id) == 0 &&
        argument[c.id.size()] == ' ' && (!found || c.id.size() > found->id.size())) {
      found = &c;
    }
  }
  if (!found) {
    if (argument.empty()) {
      printer_->note("Usage: chat-reply CONVERSATION-ID TEXT");
    } else {
      printer_->note("No chat starts " + argument + " (type chats to list them)");
    }
    return;
  }
  const std::string text = text::trim(argument.substr(found->id.size() + 1));
  if (text.empty()) {
    printer_->note("Usage: chat-reply CONVERSATION-ID TEXT");
  } else if (!found->canReply || !found->replyNotificationID) {
    printer_->note("The phone offers no reply for " + found->id);
  } else if (connectedOr("the reply was not sent")) {
    store_->replyInConversation(found->id, text);
  }
}

void HeadlessCommands::phoneMedia(const std::string& word) {
  // The buttons' way where one matches, so the activity log and the shown state follow.
  using Command = DeviceBridgeStore::MediaCommand;
  const bool playing = store_->media->has_value() && (*store_->media)->isPlaying;
  if (word == "next") {
    store_->mediaCommand(Command::next);
  } else if (word == "prev") {
    store_->mediaCommand(Command::previous);
  } else if ((word == "pause") == playing) {
    store_->mediaCommand(Command::playPause);
  } else {
    act(BridgeAction::media(word));  // the player already is where the word asks
  }
}

HeadlessCommands::Outcome HeadlessCommands::run(const std::string& raw) {
  const std::string line = text::trim(raw);
  if (line.empty()) return Outcome::done;
  const auto space = line.find(' ');
  const std::string command = line.substr(0, space);
  const std::string argument = space == std::string::npos ? "" : text::trim(line.substr(space + 1));

  if (command == "quit") return Outcome::quit;
  if (command == "approve") {
    act(BridgeAction::approve());
  } else if (command == "deny") {
    act(BridgeAction::deny());
  } else if (command == "forget") {
    act(BridgeAction::forget());
  } else if (command == "disconnect") {
    act(BridgeAction::disconnect());
  } else if (command == "reconnect") {
    act(BridgeAction::connect());
  } else if (command == "new-code") {
    act(BridgeAction::regenerateInvite());
  } else if ((command == "message" || command == "send-message") && !argument.empty()) {
    if (connectedOr("the message was not sent")) act(BridgeAction::sendMessage(argument));
  } else if ((command == "link" || command == "send-link") && !argument.empty()) {
    if (!UrlGate::normalizeUrl(argument)) {
      printer_->note("Not a web link: " + argument);
    } else if (connectedOr("the link was not sent")) {
      store_->sendLink(argument);
    }
  } else if (command == "dismiss" && !argument.empty()) {
    if (!store_->connection->isConnected()) printer_->note("No phone is connected; it is dismissed here only");
    store_->dismissNotification(argument);
  } else if (command == "reply" && !argument.empty()) {
    if (const auto parts = idAndText(argument)) {
      act(BridgeAction::replyNotification(parts->first, parts->second));
    } else {
      printer_->note("Usage: reply ID TEXT");
    }
  } else if (command == "phone-media" && (argument == "play" || argument == "pause" || argument == "next" ||
                                          argument == "prev")) {
    if (connectedOr("the phone's player was not told")) phoneMedia(argument);
  } else if (command == "chats" && argument.empty()) {
    view_->printChats(*store_);
  } else if (command == "chat-reply") {
    chatReply(argument);
  } else if (command == "clear-chats" && argument.empty()) {
    store_->clearMessages();
  } else if (command == "auto-open" && (argument == "on" || argument == "off")) {
    hub_->setAutoOpenLinks(argument == "on");
  } else if (command == "clipboard" && (argument == "on" || argument == "off")) {
    act(BridgeAction::setClipboard(argument == "on"));
  } else if (command == "copy" && !argument.empty()) {
    hub_->copyToPasteboard(argument);
  } else if (command == "send-clipboard" && argument.empty()) {
    if (!store_->features->clipboard) {
      printer_->note("Clipboard sync is off \u2014 type clipboard on first");
    } else if (connectedOr("nothing was sent")) {
      hub_->sendClipboardNow();
    }
  } else if (command == "rename") {
    act(BridgeAction::renameDevice(argument));
  } else {
    printer_->note("Unknown command: " + line + " (try " + usage + ")");
  }
  return Outcome::done;
}

}  // namespace orvane::cli
