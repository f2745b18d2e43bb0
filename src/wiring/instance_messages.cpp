#include "wiring/instance_messages.hpp"

#include "app/handoff_link.hpp"
#include "features/notifications/url_gate.hpp"

namespace orvane {

void handleInstanceMessage(const std::string& message, DeviceBridgeStore& store, bool termsAccepted,
                           const std::function<void()>& raise, Logger& log) {
  if (message == "raise") {
    if (raise) raise();
    return;
  }
  const auto space = message.find(' ');
  const std::string verb = message.substr(0, space);
  const std::string argument = space == std::string::npos ? std::string() : message.substr(space + 1);
  std::optional<std::string> link;
  if (verb == "open") {
    link = linkFromHandoff(argument);
  } else if (verb == "link") {
    link = UrlGate::normalizeUrl(argument);
  } else {
    log.error("a message from another start was not understood");
    return;
  }
  if (!link) {
    log.error("a link handed over was refused: not a hand-off of a web link");
    return;
  }
  if (!termsAccepted) {
    log.error("a link handed over was dropped: the terms of service are not accepted yet");
    return;
  }
  log.info("sending a link handed over by another program");
  store.sendLink(*link);
}

std::string instanceMessageFor(const std::optional<std::string>& handoffUrl, const std::optional<std::string>& link) {
  if (handoffUrl) return "open " + *handoffUrl;
  if (link) return "link " + *link;
  return "raise";
}

}  // namespace orvane
