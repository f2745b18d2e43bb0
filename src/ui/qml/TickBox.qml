import QtQuick
import QtQuick.Templates as T

// A check box with a wrapping label to its right.
T.CheckBox {
    id: box

    implicitWidth: 300
    implicitHeight: Math.max(indicator.height, label.implicitHeight)
    hoverEnabled: true
    focusPolicy: Qt.StrongFocus
    spacing: 10
    padding: 0
    leftPadding: indicator.width + spacing

    Accessible.role: Accessible.CheckBox
    Accessible.name: text

    indicator: Rectangle {
        x: 0
        y: Math.max(0, Math.round((label.lineHeightPx - height) / 2))
        width: 18
        height: 18
        radius: 5
        color: box.checked ? (box.hovered ? Theme.accentFillHover : Theme.accentFill) : Theme.field
        border.width: box.checked ? 0 : 1
        border.color: box.hovered ? Theme.textTertiary : Theme.hairlineStrong
        Behavior on color { ColorAnimation { duration: Theme.fast } }

        Rectangle {
            anchors.fill: parent
            anchors.margins: -3
            radius: parent.radius + 3
            color: "transparent"
            border.width: 2
            border.color: Theme.accentSoft
            visible: box.visualFocus
        }
        Symbol {
            anchors.centerIn: parent
            visible: box.checked
            name: "checkmark"
            tint: "white"
            size: 13
        }
    }

    contentItem: Text {
        id: label
        readonly property real lineHeightPx: fontMetrics.height
        text: box.text
        wrapMode: Text.WordWrap
        font.family: Theme.fontFamily
        font.pixelSize: Theme.bodySize
        color: Theme.text
        FontMetrics { id: fontMetrics; font: label.font }
    }
}
