#include "platform/qt/gui/desktop_display.hpp"

#include <QGuiApplication>

namespace orvane {

bool hasDesktopDisplay() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
  const QString platform = QGuiApplication::platformName();
  return platform != "offscreen" && platform != "minimal";
}

}  // namespace orvane
