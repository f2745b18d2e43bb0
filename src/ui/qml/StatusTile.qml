import QtQuick
import QtQuick.Layouts

// One reading of the phone's status in the rail: a symbol, its value and what it
// measures. A warning (a low battery) tints the symbol and the value.
Rectangle {
    id: tile

    // {label, value, icon, warning} from the hub model.
    property var reading: ({})
    readonly property string label: reading && reading.label !== undefined ? reading.label : ""
    readonly property string value: reading && reading.value !== undefined ? reading.value : ""
    readonly property string icon: reading && reading.icon !== undefined ? reading.icon : ""
    readonly property bool warning: reading && reading.warning === true

    implicitHeight: 46
    radius: Theme.radiusMedium
    color: Theme.dark ? Qt.rgba(1, 1, 1, 0.04) : Qt.rgba(1, 1, 1, 0.75)
    border.width: 1
    border.color: Theme.hairline

    Accessible.role: Accessible.StaticText
    Accessible.name: label + ": " + value

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 8
        anchors.rightMargin: 6
        spacing: 7
        Symbol {
            name: tile.icon
            tint: tile.warning ? "warning" : "muted"
            size: 17
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 0
            Text {
                Layout.fillWidth: true
                text: tile.value
                elide: Text.ElideRight
                font.family: Theme.fontFamily
                font.pixelSize: Theme.footnoteSize
                font.weight: Font.DemiBold
                color: tile.warning ? Theme.warningText : Theme.text
            }
            Text {
                Layout.fillWidth: true
                text: tile.label
                elide: Text.ElideRight
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize - 1
                color: Theme.textSecondary
            }
        }
    }
}
