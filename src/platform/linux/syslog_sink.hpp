#pragma once

#include "base/log.hpp"

namespace orvane {

// The program's log on syslog(3) with the ident "orvane"; with `echoToStderr` every
// entry is also written to standard error (the --verbose switch).
class SyslogSink final : public LogSink {
 public:
  explicit SyslogSink(bool echoToStderr);
  ~SyslogSink() override;
  void write(LogLevel level, std::string_view category, std::string_view message) override;
  void systemLine(std::string_view line) override;

 private:
  bool echo_;
};

}  // namespace orvane
