#include "platform/linux/syslog_sink.hpp"

#include <syslog.h>

#include <cstdio>
#include <string>

namespace orvane {

SyslogSink::SyslogSink(bool echoToStderr) : echo_(echoToStderr) { openlog("orvane", LOG_PID, LOG_USER); }

SyslogSink::~SyslogSink() { closelog(); }

void SyslogSink::write(LogLevel level, std::string_view category, std::string_view message) {
  const int priority = level == LogLevel::debug ? LOG_DEBUG : level == LogLevel::info ? LOG_INFO : LOG_ERR;
  const std::string text(message);
  syslog(priority, "[%.*s] %s", static_cast<int>(category.size()), category.data(), text.c_str());
  if (echo_) std::fprintf(stderr, "orvane [%.*s] %s\n", static_cast<int>(category.size()), category.data(), text.c_str());
}

void SyslogSink::systemLine(std::string_view line) {
  const std::string text(line);
  syslog(LOG_NOTICE, "%s", text.c_str());
  if (echo_) std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace orvane
