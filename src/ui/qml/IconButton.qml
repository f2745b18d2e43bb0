import QtQuick
import QtQuick.Templates as T
import QtQuick.Controls.Basic as C

// A button that shows only a symbol. `label` names it for assistive technology and
// shows as its tooltip. `prominent` fills it with the accent colour (the main action
// of a group, such as play/pause).
T.AbstractButton {
    id: button

    property string symbol
    property string label
    property string tint: "ink"
    property real symbolSize: 16
    property bool prominent: false
    property bool circular: prominent

    implicitWidth: 28
    implicitHeight: 28
    hoverEnabled: true
    focusPolicy: Qt.TabFocus
    opacity: enabled ? 1 : 0.4

    Accessible.role: Accessible.Button
    Accessible.name: label

    C.ToolTip.visible: hovered && label !== ""
    C.ToolTip.text: label
    C.ToolTip.delay: 800

    contentItem: Item {
        Symbol {
            anchors.centerIn: parent
            name: button.symbol
            size: button.symbolSize
            tint: button.prominent ? "white" : button.tint
        }
    }

    background: Rectangle {
        radius: button.circular ? height / 2 : Theme.radiusSmall
        color: button.prominent
               ? (button.pressed ? Qt.darker(Theme.accentFill, 1.12) : button.hovered ? Theme.accentFillHover : Theme.accentFill)
               : (button.pressed ? Theme.pressed : button.hovered ? Theme.hover : "transparent")
        border.width: button.visualFocus ? 2 : 0
        border.color: Theme.accent
        Behavior on color { ColorAnimation { duration: Theme.fast } }
    }
}
