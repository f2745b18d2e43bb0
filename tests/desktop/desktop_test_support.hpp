#pragma once

#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "time_scale.hpp"

namespace orvane::testing {

// Runs the Qt event loop until `done` holds or `limit` (stretched for slow builds) has
// passed; returns whether it holds.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(5));

struct ToolRun {
  int exitCode = -1;  // -1 when it did not start, crashed or overran `limit`
  std::string output;
};

enum class Loop { runs, waits };

// Runs another program (xclip, wl-copy, wl-paste). With Loop::runs the event loop keeps
// running meanwhile, so that a clipboard this process owns can answer it; with
// Loop::waits nothing reaches this process's objects until it is done.
ToolRun runTool(const std::string& program, const QStringList& arguments,
                const std::optional<std::string>& input = std::nullopt, Loop loop = Loop::runs,
                std::chrono::milliseconds limit = std::chrono::seconds(5));

// A whole 1×1 PNG image.
std::string tinyPng();

}  // namespace orvane::testing
