#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

enum class LogLevel { debug, info, error };

// Where log entries go. The Linux adapter writes to syslog(3); tests record them.
class LogSink {
 public:
  virtual ~LogSink() = default;
  // One entry of the program's own log, under a category such as "link".
  virtual void write(LogLevel level, std::string_view category, std::string_view message) = 0;
  // One line of the plain system log (the start-up lines that begin with "ZEL: ").
  virtual void systemLine(std::string_view line) = 0;
};

// A category-bound logger; cheap to copy. Without a sink it drops everything.
class Logger {
 public:
  Logger() = default;
  Logger(std::shared_ptr<LogSink> sink, std::string category) : sink_(std::move(sink)), category_(std::move(category)) {}
  void debug(std::string_view m) const { write(LogLevel::debug, m); }
  void info(std::string_view m) const { write(LogLevel::info, m); }
  void error(std::string_view m) const { write(LogLevel::error, m); }
  void systemLine(std::string_view line) const {
    if (sink_) sink_->systemLine(line);
  }

 private:
  void write(LogLevel level, std::string_view m) const {
    if (sink_) sink_->write(level, category_, m);
  }
  std::shared_ptr<LogSink> sink_;
  std::string category_;
};

// Keeps every entry in memory; for tests. Thread-safe.
class RecordingLogSink final : public LogSink {
 public:
  struct Entry {
    LogLevel level;
    std::string category;
    std::string message;
  };
  void write(LogLevel level, std::string_view category, std::string_view message) override;
  void systemLine(std::string_view line) override;
  std::vector<Entry> entries() const;
  std::vector<std::string> systemLines() const;
  bool contains(std::string_view message) const;
  void clear();

 private:
  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
  std::vector<std::string> systemLines_;
};

}  // namespace orvane
