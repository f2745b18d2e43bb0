#include "desktop_test_support.hpp"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>

#include <memory>
#include <thread>

#include "qt_application_environment.hpp"

namespace orvane::testing {

namespace {

// The application object of these tests, made once on the thread that runs them; its
// platform (xcb or wayland) is the one the script that started the tests chose.
[[maybe_unused]] const auto* const environment = addQtApplicationEnvironment<QGuiApplication>();

}  // namespace

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  QDeadlineTimer deadline(scaledForBuild(limit));
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    // Only the polling step: the condition decides, not the time slept.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

ToolRun runTool(const std::string& program, const QStringList& arguments, const std::optional<std::string>& input,
                Loop loop, std::chrono::milliseconds limit) {
  QProcess process;
  process.setProgram(QString::fromStdString(program));
  process.setArguments(arguments);
  if (!input) process.setStandardInputFile(QProcess::nullDevice());
  process.start();
  if (!process.waitForStarted(5000)) return {};
  if (input) {
    process.write(input->data(), static_cast<qint64>(input->size()));
    process.closeWriteChannel();
  }
  const bool finished = loop == Loop::runs
                            ? waitUntil([&] { return process.state() == QProcess::NotRunning; }, limit)
                            : process.waitForFinished(static_cast<int>(scaledForBuild(limit).count()));
  if (!finished) {
    process.kill();
    process.waitForFinished(1000);
    return {};
  }
  if (process.exitStatus() != QProcess::NormalExit) return {};
  return {process.exitCode(), process.readAllStandardOutput().toStdString()};
}

std::string tinyPng() {
  QImage image(1, 1, QImage::Format_ARGB32);
  image.fill(Qt::red);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

}  // namespace orvane::testing
