#pragma once

#include <QCoreApplication>

#include "cli/cli_options.hpp"
#include "wiring/desktop_services.hpp"

namespace orvane::cli {

// Runs the headless program in `app` until it quits or a SIGINT or SIGTERM ends it;
// returns the exit status. Commands are read from standard input.
int runHeadless(QCoreApplication& app, const Options& options, DesktopServices desktop);

}  // namespace orvane::cli
