import QtQuick
import QtQuick.Layouts

// The top of a work area: its title, a line saying what it is for, and on the right
// whatever controls the pane puts there.
RowLayout {
    id: header

    property string title
    property string subtitle
    default property alias trailing: controls.data

    spacing: Theme.space3

    ColumnLayout {
        Layout.fillWidth: true
        spacing: 2
        Text {
            Layout.fillWidth: true
            text: header.title
            elide: Text.ElideRight
            font.family: Theme.fontFamily
            font.pixelSize: Theme.title2Size
            font.weight: Font.Bold
            color: Theme.text
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
        Text {
            Layout.fillWidth: true
            text: header.subtitle
            elide: Text.ElideRight
            font.family: Theme.fontFamily
            font.pixelSize: Theme.bodySize
            color: Theme.textSecondary
        }
    }
    RowLayout {
        id: controls
        spacing: Theme.space2
    }
}
