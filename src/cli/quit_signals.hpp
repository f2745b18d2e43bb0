#pragma once

#include <QCoreApplication>
#include <functional>

namespace orvane::cli {

// SIGINT and SIGTERM end the program cleanly: once the event loop runs, `quit` runs on
// it; before that (a prompt, the start) a signal ends the program at once, as it would
// without a handler. SIGPIPE is ignored. Call before any thread starts, so that every
// thread inherits the same dispositions; once per process.
void catchQuitSignals(QCoreApplication& app, std::function<void()> quit);

}  // namespace orvane::cli
