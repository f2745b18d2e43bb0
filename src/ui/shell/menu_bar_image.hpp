#pragma once

#include <QColor>
#include <QImage>

namespace orvane {

// The tray icon: the laptop-and-phone symbol in the panel's text colour with a status
// dot at its lower right, green while the phone is connected and red otherwise.
struct MenuBarImage {
  static constexpr double width = 26;
  static constexpr double height = 18;
  static constexpr double dotSide = 4.5;
  static QColor connectedColor() { return QColor::fromRgbF(0.208f, 0.788f, 0.584f); }
  static QColor disconnectedColor() { return QColor::fromRgbF(0.941f, 0.443f, 0.471f); }

  // Drawn at `scale` device pixels per point; white on a dark panel, black on a light one.
  static QImage draw(bool connected, bool darkPanel, double scale);
};

}  // namespace orvane
