import QtQuick
import QtQuick.Window

// The tray popover's window: frameless, see-through around the panel's corners, and
// sized to the popover. The shell places and shows it; it hides itself as soon as it
// loses focus, like a menu.
Window {
    id: window

    objectName: "popover"
    flags: Qt.Tool | Qt.FramelessWindowHint
    color: "transparent"
    width: Math.ceil(popover.implicitWidth)
    height: Math.ceil(popover.implicitHeight)
    visible: false

    onActiveChanged: if (!active && visible) hide()

    Popover {
        id: popover
        anchors.fill: parent
    }
}
