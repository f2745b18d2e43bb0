#include "stand_in_logind.hpp"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdlib>

#include "integration/time_scale.hpp"

namespace orvane::testing {
namespace {

using namespace std::chrono_literals;

// gdbus and the script answer in a fraction of a second; only a fault takes this long.
const auto kToolPatience = scaledForBuild(15s);

expected<void, std::string> run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, arguments);
  const std::string what = (program + ' ' + arguments.join(' ')).toStdString();
  if (!process.waitForFinished(static_cast<int>(kToolPatience.count() * 1000))) {
    process.kill();
    process.waitForFinished();
    return unexpected(what + ": did not finish (" + process.errorString().toStdString() + ")");
  }
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    return unexpected(what + ": exit " + std::to_string(process.exitCode()) + ": " +
                      process.readAll().toStdString());
  }
  return {};
}

// A call of the mock's own interface on logind's object.
expected<void, std::string> callMock(const QString& method, const QStringList& arguments) {
  QStringList all = {"call",          "--system", "--dest", "org.freedesktop.login1", "--object-path",
                     "/org/freedesktop/login1", "--method", "org.freedesktop.DBus.Mock." + method};
  all += arguments;
  return run("gdbus", all);
}

// The mock takes the signal's arguments as an array of variants, in GVariant text.
QString boolArgument(bool value) { return value ? "[<true>]" : "[<false>]"; }

expected<void, std::string> runEnv(const QString& command) {
  const char* script = std::getenv("ORVANE_LOGIND_ENV");
  if (script == nullptr) return unexpected(std::string("ORVANE_LOGIND_ENV is not set: run inside logind_env.sh"));
  return run(QString::fromLocal8Bit(script), {command});
}

}  // namespace

expected<void, std::string> StandInLogind::prepareForSleep(bool start) const {
  return callMock("EmitSignal", {"org.freedesktop.login1.Manager", "PrepareForSleep", "b", boolArgument(start)});
}

expected<void, std::string> StandInLogind::prepareForSleepAt(const std::string& path, bool start) const {
  return callMock("EmitSignalDetailed", {"org.freedesktop.login1.Manager", "PrepareForSleep", "b", boolArgument(start),
                                         "{'path': <objectpath '" + QString::fromStdString(path) + "'>}"});
}

expected<void, std::string> StandInLogind::prepareForSleepOn(const std::string& interface, bool start) const {
  return callMock("EmitSignal", {QString::fromStdString(interface), "PrepareForSleep", "b", boolArgument(start)});
}

expected<void, std::string> StandInLogind::prepareForSleepFromImpostor(bool start) const {
  return run("gdbus", {"emit", "--system", "--object-path", "/org/freedesktop/login1", "--signal",
                       "org.freedesktop.login1.Manager.PrepareForSleep", start ? "true" : "false"});
}

expected<void, std::string> StandInLogind::fence(std::uint32_t number) const {
  return callMock("EmitSignal", {"org.orvane.Test", "Fence", "u", "[<uint32 " + QString::number(number) + ">]"});
}

expected<void, std::string> StandInLogind::stop() const { return runEnv("stop-logind"); }

expected<void, std::string> StandInLogind::start() const { return runEnv("start-logind"); }

}  // namespace orvane::testing
