#include "cli/running_instance.hpp"

#include <iostream>

#include "platform/qt/instance_channel.hpp"
#include "wiring/instance_messages.hpp"

namespace orvane::cli {

std::optional<int> handToRunningInstance(const Options& options) {
  const bool handsOverLink = options.handoffUrl || options.sendLink;
  if (options.help) return std::nullopt;
  if (!handsOverLink && options.headless) return std::nullopt;
  if (InstanceChannel::send(instanceMessageFor(options.handoffUrl, options.sendLink))) return 0;
  if (!handsOverLink) return std::nullopt;  // the first start: it goes on
  std::cerr << "orvane: Orvane is not running; start it, then send the link again.\n";
  return 1;
}

}  // namespace orvane::cli
