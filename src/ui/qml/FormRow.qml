import QtQuick
import QtQuick.Layouts

// One row of a settings group: what it is on the left, its value (or a control put in
// it) on the right.
RowLayout {
    id: row

    property string title
    property string value
    property bool highlighted: false
    default property alias trailing: controls.data

    Layout.fillWidth: true
    Layout.minimumHeight: 36
    spacing: Theme.space3

    Accessible.role: Accessible.StaticText
    Accessible.name: title + (value !== "" ? ": " + value : "")

    Text {
        Layout.fillWidth: true
        text: row.title
        elide: Text.ElideRight
        font.family: Theme.fontFamily
        font.pixelSize: Theme.bodySize
        color: Theme.text
    }
    Text {
        visible: row.value !== ""
        Layout.preferredWidth: implicitWidth
        Layout.maximumWidth: 340
        text: row.value
        elide: Text.ElideMiddle
        horizontalAlignment: Text.AlignRight
        font.family: Theme.fontFamily
        font.pixelSize: Theme.bodySize
        font.weight: row.highlighted ? Font.DemiBold : Font.Normal
        color: row.highlighted ? Theme.connectedText : Theme.textSecondary
    }
    RowLayout {
        id: controls
        // A nested layout would take the free width by default; the value keeps it.
        Layout.fillWidth: false
        visible: children.length > 0
        spacing: Theme.space2
    }
}
