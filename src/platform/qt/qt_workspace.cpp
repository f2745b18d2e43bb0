#include "platform/qt/qt_workspace.hpp"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace orvane {

QtWorkspace::QtWorkspace(Logger log, std::function<bool()> canControlPlayers)
    : log_(std::move(log)), canControlPlayers_(std::move(canControlPlayers)) {}

bool QtWorkspace::openURL(const std::string& url) {
  const auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  const QString platform = gui ? QGuiApplication::platformName() : QString();
  if (!gui || platform == "offscreen" || platform == "minimal") {
    log_.info("no desktop to open links on");
    return false;
  }
  const QUrl parsed(QString::fromStdString(url), QUrl::StrictMode);
  if (!parsed.isValid()) return false;
  if (QDesktopServices::openUrl(parsed)) return true;
  log_.error("the desktop did not open a link");
  return false;
}

}  // namespace orvane
