import QtQuick
import QtQuick.Layouts

// The centre pane: the selected work area.
GlassPanel {
    id: centre

    readonly property var tab: orvane.selectedTab >= 0 && orvane.selectedTab < orvane.tabs.length
                               ? orvane.tabs[orvane.selectedTab] : null
    readonly property string title: tab && tab.title !== undefined ? tab.title : ""
    readonly property string icon: tab && tab.icon !== undefined ? tab.icon : ""

    RowLayout {
        id: heading
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: Theme.space6
        spacing: Theme.space3
        visible: centre.title !== ""
        Text {
            Layout.fillWidth: true
            text: centre.title
            elide: Text.ElideRight
            font.family: Theme.fontFamily
            font.pixelSize: Theme.title2Size
            font.weight: Font.Bold
            color: Theme.text
        }
    }

    ColumnLayout {
        anchors.centerIn: parent
        anchors.verticalCenterOffset: heading.visible ? heading.height / 2 : 0
        width: Math.min(parent.width - 2 * Theme.space6, 360)
        spacing: Theme.space3
        Rectangle {
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: 64
            Layout.preferredHeight: 64
            radius: 32
            color: Theme.inset
            border.width: 1
            border.color: Theme.hairline
            visible: centre.icon !== ""
            Symbol {
                anchors.centerIn: parent
                name: centre.icon
                tint: "muted"
                size: 28
            }
        }
        Text {
            Layout.fillWidth: true
            text: "Coming in the next update."
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            font.family: Theme.fontFamily
            font.pixelSize: Theme.calloutSize
            color: Theme.textSecondary
        }
    }
}
