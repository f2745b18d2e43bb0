#pragma once

#include <string>
#include <vector>

#include "base/expected.hpp"

namespace orvane::testing {

// Swaps the notification server of the session that tests/desktop/session_env.sh runs
// these tests in; each call returns once the name has gone or has its new owner.
expected<void, std::string> stopServer();
// "dunst", or "mock" offering `capabilities` (the mock's defaults when empty).
expected<void, std::string> startServer(const std::string& kind, const std::vector<std::string>& capabilities = {});

// Runs `program` with `arguments` to its end; its standard output, or what went wrong.
expected<std::string, std::string> runTool(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace orvane::testing
