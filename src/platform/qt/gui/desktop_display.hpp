#pragma once

namespace orvane {

// Whether the program reaches a real desktop display: a graphical application object
// on a platform other than Qt's own stand-ins ("offscreen", "minimal"), which it falls
// back to when the display in DISPLAY or WAYLAND_DISPLAY cannot be reached.
bool hasDesktopDisplay();

}  // namespace orvane
