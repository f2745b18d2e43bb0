import QtQuick
import QtQuick.Templates as T

// Text in the link colour that underlines under the pointer.
T.AbstractButton {
    id: link

    property int pixelSize: Theme.footnoteSize

    implicitWidth: label.implicitWidth
    implicitHeight: label.implicitHeight + 4
    hoverEnabled: true
    focusPolicy: Qt.TabFocus

    Accessible.role: Accessible.Link
    Accessible.name: text

    HoverHandler { cursorShape: Qt.PointingHandCursor }

    contentItem: Text {
        id: label
        text: link.text
        font.family: Theme.fontFamily
        font.pixelSize: link.pixelSize
        font.weight: Font.Medium
        font.underline: link.hovered || link.visualFocus
        color: link.pressed ? Theme.accentHover : Theme.link
        verticalAlignment: Text.AlignVCenter
    }
}
