#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace orvane::phone {

using Event = nlohmann::ordered_json;

// Writes one event as a single compact JSON line on standard output and flushes at
// once, so that a script reading the pipe sees it without waiting for a buffer.
void printEvent(const Event& event);

// A human-readable note on standard error ("orvane-phone: ...").
void printNote(const std::string& text);

}  // namespace orvane::phone
