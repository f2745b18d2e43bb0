#pragma once

#include <functional>
#include <string>

#include "app/store/device_bridge_store.hpp"
#include "base/log.hpp"

namespace orvane {

// What the running program does with a message from a second start of it (see
// InstanceChannel): "raise" brings its windows forward; "open <orvane: URL>" and
// "link <web link>" send the link to the phone, once the terms are accepted and only
// for a well-formed hand-off and a link the link gate takes. Anything else is logged
// and dropped.
void handleInstanceMessage(const std::string& message, DeviceBridgeStore& store, bool termsAccepted,
                           const std::function<void()>& raise, Logger& log);

// The message a start of the program hands to the one running: "open URL" for an
// orvane: URL given as the argument, "link URL" for --send-link, "raise" otherwise.
std::string instanceMessageFor(const std::optional<std::string>& handoffUrl, const std::optional<std::string>& link);

}  // namespace orvane
