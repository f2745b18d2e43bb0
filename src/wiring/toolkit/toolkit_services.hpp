#pragma once

#include "wiring/desktop_services.hpp"

namespace orvane {

// The desktop services through Qt's graphical library: the desktop's clipboard when a
// display is reachable (Orvane's own otherwise), links opened by the desktop's handler,
// covers and the QR picture through Qt's image codecs. Needs the application object
// made first: a QGuiApplication for a display, a QCoreApplication otherwise.
DesktopServices toolkitServices();

}  // namespace orvane
