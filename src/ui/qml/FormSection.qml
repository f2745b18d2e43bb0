import QtQuick
import QtQuick.Layouts

// A titled group of rows in the settings window, on a soft inset, with an optional
// caption under it.
ColumnLayout {
    id: group

    property string title
    property string caption
    default property alias rows: body.data

    spacing: Theme.space2

    SectionLabel {
        Layout.leftMargin: Theme.space1
        visible: group.title !== ""
        text: group.title.toUpperCase()
        Accessible.role: Accessible.Heading
        Accessible.name: group.title
    }
    Rectangle {
        Layout.fillWidth: true
        implicitHeight: body.implicitHeight + 2 * Theme.space2
        radius: Theme.radiusLarge - 2
        color: Theme.dark ? Qt.rgba(1, 1, 1, 0.04) : Qt.rgba(1, 1, 1, 0.7)
        border.width: 1
        border.color: Theme.hairline
        ColumnLayout {
            id: body
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.margins: Theme.space2
            anchors.leftMargin: Theme.space4
            anchors.rightMargin: Theme.space4
            spacing: 0
        }
    }
    Text {
        Layout.fillWidth: true
        Layout.leftMargin: Theme.space1
        visible: group.caption !== ""
        text: group.caption
        wrapMode: Text.WordWrap
        lineHeight: 1.1
        font.family: Theme.fontFamily
        font.pixelSize: Theme.footnoteSize
        color: Theme.textSecondary
    }
}
