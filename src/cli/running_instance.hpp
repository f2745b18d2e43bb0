#pragma once

#include <optional>

#include "cli/cli_options.hpp"

namespace orvane::cli {

// A start while Orvane already runs is handed to the running one: a link (an orvane:
// URL or --send-link) to send, or, for a start with windows, the request to bring its
// window forward. The exit status when this start ends here; none when it goes on
// (nothing to hand over, or no program running for a start that can take its place).
std::optional<int> handToRunningInstance(const Options& options);

}  // namespace orvane::cli
