#pragma once

#include <QIcon>
#include <optional>
#include <string_view>

namespace orvane {

// The symbols the views name ("gearshape", "link", …) as the desktop's icon theme
// names them (the freedesktop icon naming), where it has a name for them.
std::optional<std::string_view> freedesktopIconName(std::string_view symbol);

// The bundled drawing of a symbol in the ink of the given appearance, from the views'
// module; an empty path for a symbol not drawn.
QString bundledSymbolPath(std::string_view symbol, bool dark);

// The icon for menus the desktop draws (the tray's menu): the theme's icon where the
// theme has one, so that it sits among the desktop's own, else the bundled drawing.
QIcon symbolIcon(std::string_view symbol, bool dark);

}  // namespace orvane
