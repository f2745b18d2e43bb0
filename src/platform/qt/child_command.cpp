#include "platform/qt/child_command.hpp"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace orvane {

namespace {

constexpr qsizetype errorsKept = 4096;
// How long a killed child may take to be reaped before we give up waiting.
constexpr int reapMilliseconds = 1000;

void killAndReap(QProcess& process) {
  process.kill();
  process.waitForFinished(reapMilliseconds);
}

std::string describe(const ChildCommand& command) {
  std::string text = command.program;
  for (const std::string& argument : command.arguments) text += " " + argument;
  return text;
}

}  // namespace

void inheritNoDescriptors(QProcess& process) {
  // Runs in the child between fork and exec: only async-signal-safe calls. Marking the
  // descriptors close-on-exec rather than closing them keeps the pipe through which Qt
  // learns that exec failed.
  process.setChildProcessModifier([] {
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
    // Kernels before 5.11 lack the flag: mark them one by one, up to a sane bound.
    rlimit limit{};
    rlim_t highest = 65536;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
      highest = std::min<rlim_t>(limit.rlim_cur, highest);
    }
    for (int fd = 3; static_cast<rlim_t>(fd) < highest; ++fd) {
      const int flags = ::fcntl(fd, F_GETFD);
      if (flags >= 0) ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
  });
}

expected<ChildResult, ChildError> run(const ChildCommand& command) {
  QProcess process;
  inheritNoDescriptors(process);
  QStringList arguments;
  for (const std::string& argument : command.arguments) arguments << QString::fromStdString(argument);
  process.setProgram(QString::fromStdString(command.program));
  process.setArguments(arguments);
  if (!command.keepsOutput) {
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
  }
  if (!command.input) process.setStandardInputFile(QProcess::nullDevice());

  const auto failed = [&](ChildFailure failure, const std::string& why) {
    return unexpected(ChildError{failure, describe(command) + ": " + why});
  };
  const auto remaining = [](const QDeadlineTimer& deadline) {
    return static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1));
  };
  const std::string overran = "no answer within " + std::to_string(command.deadline.count()) + " ms";
  const std::string overLimit = "more than " + std::to_string(command.outputLimit) + " bytes of output";

  QDeadlineTimer deadline(command.deadline);
  process.start();
  if (!process.waitForStarted(remaining(deadline))) {
    const std::string why = process.errorString().toStdString();
    killAndReap(process);
    return failed(ChildFailure::notStarted, why);
  }
  if (command.input) {
    process.write(command.input->data(), static_cast<qint64>(command.input->size()));
    process.closeWriteChannel();
  }

  QByteArray output;
  QByteArray errors;
  const auto collect = [&] {
    output += process.readAllStandardOutput();
    const QByteArray more = process.readAllStandardError();
    if (errors.size() < errorsKept) errors += more.left(errorsKept - errors.size());
    return static_cast<std::size_t>(output.size()) <= command.outputLimit;
  };
  if (command.keepsOutput) {
    // waitForReadyRead also feeds the input and takes in standard error while it waits
    // for standard output, and returns false once the child has finished.
    while (process.state() != QProcess::NotRunning) {
      if (deadline.hasExpired()) {
        killAndReap(process);
        return failed(ChildFailure::overran, overran);
      }
      process.waitForReadyRead(remaining(deadline));
      if (!collect()) {
        killAndReap(process);
        return failed(ChildFailure::tooMuchOutput, overLimit);
      }
    }
    if (!collect()) return failed(ChildFailure::tooMuchOutput, overLimit);
  } else if (!process.waitForFinished(remaining(deadline))) {
    killAndReap(process);
    return failed(ChildFailure::overran, overran);
  }
  if (process.exitStatus() == QProcess::CrashExit) {
    return failed(ChildFailure::crashed, process.errorString().toStdString());
  }
  return ChildResult{process.exitCode(), output.toStdString(), errors.toStdString()};
}

}  // namespace orvane
