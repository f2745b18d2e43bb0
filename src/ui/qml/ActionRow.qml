import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T

// A row of a menu-like list: a symbol on a small tile, a title, and at the end either a
// text, a control placed as the row's child, or a chevron.
T.AbstractButton {
    id: row

    property string symbol
    property string trailingText
    property bool chevron: false
    default property alias trailing: trailingSlot.data

    implicitWidth: 280
    implicitHeight: 36
    leftPadding: 6
    rightPadding: 8
    hoverEnabled: true
    focusPolicy: Qt.TabFocus

    Accessible.role: Accessible.MenuItem
    Accessible.name: text

    contentItem: RowLayout {
        spacing: 10

        Rectangle {
            Layout.preferredWidth: 26
            Layout.preferredHeight: 26
            radius: 7
            color: Theme.inset
            border.width: 1
            border.color: Theme.hairline
            Symbol {
                anchors.centerIn: parent
                name: row.symbol
                size: 15
            }
        }
        Text {
            Layout.fillWidth: true
            text: row.text
            elide: Text.ElideRight
            font.family: Theme.fontFamily
            font.pixelSize: Theme.bodySize
            color: Theme.text
        }
        Text {
            visible: row.trailingText !== ""
            text: row.trailingText
            font.family: Theme.fontFamily
            font.pixelSize: Theme.footnoteSize
            color: Theme.textSecondary
        }
        Item {
            id: trailingSlot
            visible: children.length > 0
            Layout.preferredWidth: childrenRect.width
            Layout.preferredHeight: childrenRect.height
        }
        Symbol {
            visible: row.chevron
            name: "chevron.right"
            tint: "muted"
            size: 12
        }
    }

    background: Rectangle {
        radius: Theme.radiusMedium
        color: row.pressed ? Theme.pressed : row.hovered ? Theme.hover : "transparent"
        border.width: row.visualFocus ? 2 : 0
        border.color: Theme.accent
        Behavior on color { ColorAnimation { duration: Theme.fast } }
    }
}
