#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>
#include <string>
#include <vector>

class QWindow;

namespace orvane {

// Where a window left by its user goes when it comes forward: where it is while the
// point 10 px inside its lower-left corner lies on some screen's usable area, otherwise
// centred on `fallback` (after a display was removed, say).
QRect placeComingForward(const QRect& frame, const std::vector<QRect>& usableAreas, const QRect& fallback);
// Shows, raises and activates the window, placed as above on the screens there are.
void bringForward(QWindow& window);

// Where the popover opens: under (or above) the tray icon, kept inside the usable area;
// at the panel's corner, top right, when the desktop gives no icon geometry.
QPoint popoverPosition(const QRect& icon, const QSize& popover, const QRect& usable, const QRect& screen);

// A window's frame as kept in the settings: "x y width height".
std::string formatFrame(const QRect& frame);
std::optional<QRect> parseFrame(const std::string& text);

}  // namespace orvane
