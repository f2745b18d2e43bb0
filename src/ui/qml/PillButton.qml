import QtQuick
import QtQuick.Templates as T

// A rounded text button, with an optional leading symbol. Prominent buttons are filled
// with the accent colour; plain ones sit on a faint inset with a hairline.
T.Button {
    id: button

    property bool prominent: false
    property bool compact: false
    property string symbol

    implicitHeight: compact ? 26 : 32
    implicitWidth: Math.max(implicitHeight, implicitContentWidth + leftPadding + rightPadding)
    leftPadding: compact ? 11 : 16
    rightPadding: compact ? 11 : 16
    hoverEnabled: true
    focusPolicy: Qt.StrongFocus

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
                tint: button.prominent ? "white" : "ink"
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: button.text
                font.family: Theme.fontFamily
                font.pixelSize: button.compact ? Theme.footnoteSize : Theme.bodySize
                font.weight: button.prominent ? Font.DemiBold : Font.Medium
                color: button.prominent ? Theme.textOnAccent : Theme.text
            }
        }
    }

    background: Rectangle {
        radius: height / 2
        opacity: button.enabled ? 1 : 0.45
        color: button.prominent
               ? (button.pressed ? Qt.darker(Theme.accentFill, 1.12) : button.hovered ? Theme.accentFillHover : Theme.accentFill)
               : (button.pressed ? Theme.pressed : button.hovered ? Theme.hover : Theme.inset)
        border.width: button.visualFocus ? 2 : (button.prominent ? 0 : 1)
        border.color: button.visualFocus ? (button.prominent ? Theme.text : Theme.accent) : Theme.hairlineStrong
        Behavior on color { ColorAnimation { duration: Theme.fast } }
    }
}
