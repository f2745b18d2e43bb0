#include "session_servers.hpp"

#include <QProcess>
#include <QStringList>

#include <cstdlib>

namespace orvane::testing {

expected<std::string, std::string> runTool(const std::string& program, const std::vector<std::string>& arguments) {
  QStringList args;
  for (const std::string& a : arguments) args << QString::fromStdString(a);
  QProcess process;
  process.start(QString::fromStdString(program), args);
  // The tools here answer in milliseconds; a minute means something is stuck.
  if (!process.waitForFinished(60000)) return unexpected(program + " did not finish: " + process.errorString().toStdString());
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    return unexpected(program + " failed: " + process.readAllStandardError().toStdString());
  }
  return process.readAllStandardOutput().toStdString();
}

namespace {

expected<void, std::string> runScript(std::vector<std::string> arguments) {
  const char* script = std::getenv("ORVANE_SESSION_ENV");
  if (script == nullptr) return unexpected(std::string("ORVANE_SESSION_ENV is not set: run under session_env.sh"));
  auto ran = runTool(script, arguments);
  if (!ran) return unexpected(ran.error());
  return {};
}

}  // namespace

expected<void, std::string> stopServer() { return runScript({"stop-server"}); }

expected<void, std::string> startServer(const std::string& kind, const std::vector<std::string>& capabilities) {
  std::vector<std::string> arguments{"start-server", kind};
  arguments.insert(arguments.end(), capabilities.begin(), capabilities.end());
  return runScript(arguments);
}

}  // namespace orvane::testing
