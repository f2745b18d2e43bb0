#include "ui/shell/window_placement.hpp"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <sstream>

namespace orvane {

QRect placeComingForward(const QRect& frame, const std::vector<QRect>& usableAreas, const QRect& fallback) {
  const QPoint probe(frame.left() + 10, frame.bottom() - 10);
  for (const QRect& area : usableAreas) {
    if (area.contains(probe)) return frame;
  }
  QRect centred = frame;
  centred.moveCenter(fallback.center());
  return centred;
}

void bringForward(QWindow& window) {
  window.show();
  if (window.windowStates() & Qt::WindowMinimized) window.setWindowStates(window.windowStates() & ~Qt::WindowMinimized);
  if (QScreen* primary = QGuiApplication::primaryScreen()) {
    std::vector<QRect> areas;
    for (QScreen* screen : QGuiApplication::screens()) areas.push_back(screen->availableGeometry());
    const QRect placed = placeComingForward(window.geometry(), areas, primary->availableGeometry());
    if (placed != window.geometry()) window.setGeometry(placed);
  }
  window.raise();
  window.requestActivate();
}

QPoint popoverPosition(const QRect& icon, const QSize& popover, const QRect& usable, const QRect& screen) {
  constexpr int gap = 6;
  QPoint at;
  if (icon.isValid() && !icon.isEmpty()) {
    // Centred under the icon when the panel is at the top, above it otherwise.
    const bool panelAtTop = icon.center().y() < screen.center().y();
    at = QPoint(icon.center().x() - popover.width() / 2,
                panelAtTop ? icon.bottom() + 1 + gap : icon.top() - gap - popover.height());
  } else {
    at = QPoint(usable.right() + 1 - gap - popover.width(), usable.top() + gap);
  }
  at.setX(std::clamp(at.x(), usable.left() + gap, std::max(usable.left() + gap, usable.right() + 1 - gap - popover.width())));
  at.setY(std::clamp(at.y(), usable.top() + gap, std::max(usable.top() + gap, usable.bottom() + 1 - gap - popover.height())));
  return at;
}

std::string formatFrame(const QRect& frame) {
  std::ostringstream out;
  out << frame.x() << ' ' << frame.y() << ' ' << frame.width() << ' ' << frame.height();
  return out.str();
}

std::optional<QRect> parseFrame(const std::string& text) {
  std::istringstream in(text);
  int x = 0, y = 0, width = 0, height = 0;
  if (!(in >> x >> y >> width >> height) || width <= 0 || height <= 0) return std::nullopt;
  std::string rest;
  if (in >> rest) return std::nullopt;
  return QRect(x, y, width, height);
}

}  // namespace orvane
