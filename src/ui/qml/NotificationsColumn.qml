import QtQuick
import QtQuick.Layouts

// The right column, where the phone's notifications will be listed.
GlassPanel {
    id: column

    implicitWidth: 300

    SectionLabel {
        id: heading
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.leftMargin: Theme.space4 + 2
        anchors.topMargin: Theme.space4 + 2
        text: "NOTIFICATIONS"
    }

    ColumnLayout {
        anchors.centerIn: parent
        width: parent.width - 2 * Theme.space6
        spacing: Theme.space3
        Rectangle {
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: 48
            Layout.preferredHeight: 48
            radius: 24
            color: Theme.inset
            border.width: 1
            border.color: Theme.hairline
            Symbol {
                anchors.centerIn: parent
                name: "bell"
                tint: "muted"
                size: 22
            }
        }
        Text {
            Layout.fillWidth: true
            text: "Coming in the next update."
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            font.family: Theme.fontFamily
            font.pixelSize: Theme.bodySize
            color: Theme.textSecondary
        }
    }
}
