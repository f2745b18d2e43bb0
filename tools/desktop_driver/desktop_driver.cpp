#include "desktop_driver.hpp"

#include <unistd.h>

#include <QElapsedTimer>
#include <QTest>
#include <cstdlib>

namespace orvane::driver {

bool waitUntil(const std::function<bool()>& done, int seconds) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > qint64(seconds) * 1000) return false;
    QTest::qWait(10);
  }
  return true;
}

std::filesystem::path useFreshHome(const std::string& tag) {
  const auto home = std::filesystem::temp_directory_path() / ("orvane-" + tag + "-" + std::to_string(::getpid()));
  std::filesystem::create_directories(home);
  ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
  ::setenv("HOME", home.c_str(), 1);
  return home;
}

bool startPairingPhone(QProcess& phone, DesktopShell& shell, const QString& binDir, const std::filesystem::path& home,
                       const QString& name) {
  if (!waitUntil([&] { return !shell.core().hub()->lastQRText->empty(); })) return false;
  phone.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  phone.start(binDir + "/orvane-phone",
              {"--timeout", "900", "--state", QString::fromStdString((home / "phone.json").string()), "pair", "--qr",
               QString::fromStdString(*shell.core().hub()->lastQRText), "--host", "127.0.0.1", "--name", name});
  return phone.waitForStarted();
}

bool approveAndConnect(DesktopShell& shell) {
  auto* model = shell.model();
  if (!waitUntil([&] { return model->property("pairingApprovalStep").toBool(); })) return false;
  model->approve();
  return waitUntil([&] { return model->connected(); });
}

void sendFromPhone(QProcess& phone, const QByteArray& envelope) { phone.write("send " + envelope + "\n"); }

}  // namespace orvane::driver
