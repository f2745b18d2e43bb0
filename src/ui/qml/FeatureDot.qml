import QtQuick

// A feature of the link and whether it is on: a filled dot, or a ring when off.
Row {
    id: dot

    // {title, on} from the hub model.
    property var reading: ({})
    readonly property string title: reading && reading.title !== undefined ? reading.title : ""
    readonly property bool on: reading && reading.on === true

    spacing: 5
    Accessible.role: Accessible.StaticText
    Accessible.name: title + (on ? ", on" : ", off")

    Rectangle {
        anchors.verticalCenter: parent.verticalCenter
        width: 6
        height: 6
        radius: 3
        color: dot.on ? Theme.connected : "transparent"
        border.width: dot.on ? 0 : 1
        border.color: Theme.textTertiary
    }
    Text {
        text: dot.title
        font.family: Theme.fontFamily
        font.pixelSize: Theme.captionSize
        color: dot.on ? Theme.textSecondary : Theme.textTertiary
    }
}
