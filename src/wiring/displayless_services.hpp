#pragma once

#include "wiring/desktop_services.hpp"

namespace orvane {

// The desktop services of the program built without Qt's graphical library, which runs
// where there is no display: Orvane keeps a clipboard of its own (the `copy` command
// fills it), there is nothing to open links on and no image codec.
DesktopServices displaylessServices();

}  // namespace orvane
