#include "platform/qt/gui/qt_workspace.hpp"

#include <QDesktopServices>
#include <QUrl>

#include "platform/qt/gui/desktop_display.hpp"

namespace orvane {

QtWorkspace::QtWorkspace(Logger log, std::function<bool()> canControlPlayers)
    : log_(std::move(log)), canControlPlayers_(std::move(canControlPlayers)) {}

bool QtWorkspace::openURL(const std::string& url) {
  if (!hasDesktopDisplay()) {
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
