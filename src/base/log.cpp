#include "base/log.hpp"

#include <algorithm>

namespace orvane {

void RecordingLogSink::write(LogLevel level, std::string_view category, std::string_view message) {
  std::lock_guard lock(mutex_);
  entries_.push_back(Entry{level, std::string(category), std::string(message)});
}

void RecordingLogSink::systemLine(std::string_view line) {
  std::lock_guard lock(mutex_);
  systemLines_.emplace_back(line);
}

std::vector<RecordingLogSink::Entry> RecordingLogSink::entries() const {
  std::lock_guard lock(mutex_);
  return entries_;
}

std::vector<std::string> RecordingLogSink::systemLines() const {
  std::lock_guard lock(mutex_);
  return systemLines_;
}

bool RecordingLogSink::contains(std::string_view message) const {
  std::lock_guard lock(mutex_);
  return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.message == message; });
}

void RecordingLogSink::clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
  systemLines_.clear();
}

}  // namespace orvane
