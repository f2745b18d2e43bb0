import QtQuick
import QtQuick.Templates as T

// A rounded text button, with an optional leading symbol. Prominent buttons are filled
// with the accent colour; plain ones sit on a faint inset with a hairline.
T.Button {
    id: button

    property bool prominent: false
    // Red, for the button that deletes or ends something.
    property bool destructive: false
    readonly property bool filled: prominent || destructive
    property bool compact: false
    property string symbol

    implicitHeight: compact ? 26 : 32
    implicitWidth: Math.max(implicitHeight, implicitContentWidth + leftPadding + rightPadding)
    leftPadding: compact ? 11 : 16
    rightPadding: compact ? 11 : 16
    hoverEnabled: true
    focusPolicy: Qt.StrongFocus
    // A button that cannot be used now is faded, its label with it.
    opacity: enabled ? 1 : 0.45

    Accessible.role: Accessible.Button
    Accessible.name: text

    contentItem: Item {
        implicitWidth: row.implicitWidth
        implicitHeight: row.implicitHeight
        Row {
            id: row
            anchors.centerIn: parent
            spacing: 6
            Symbol {
                anchors.verticalCenter: parent.verticalCenter
                visible: button.symbol !== ""
                name: button.symbol
                size: button.compact ? 12 : 14
                tint: button.filled ? "white" : "ink"
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: button.text
                font.family: Theme.fontFamily
                font.pixelSize: button.compact ? Theme.footnoteSize : Theme.bodySize
                font.weight: button.filled ? Font.DemiBold : Font.Medium
                color: button.filled ? Theme.textOnAccent : Theme.text
            }
        }
    }

    background: Rectangle {
        radius: height / 2
        color: button.destructive
               ? (button.pressed ? Qt.darker(Theme.destructiveFill, 1.12) : button.hovered ? Qt.lighter(Theme.destructiveFill, 1.06) : Theme.destructiveFill)
               : button.prominent
               ? (button.pressed ? Qt.darker(Theme.accentFill, 1.12) : button.hovered ? Theme.accentFillHover : Theme.accentFill)
               : (button.pressed ? Theme.pressed : button.hovered ? Theme.hover : Theme.inset)
        border.width: button.visualFocus ? 2 : (button.filled ? 0 : 1)
        border.color: button.visualFocus ? (button.filled ? Theme.text : Theme.accent) : Theme.hairlineStrong
        Behavior on color { ColorAnimation { duration: Theme.fast } }
    }
}
