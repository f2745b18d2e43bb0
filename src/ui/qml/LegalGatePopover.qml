import QtQuick
import QtQuick.Layouts

// The tray popover before the terms are accepted: it only sends the user to the hub,
// where acceptance happens, and to the two documents.
GlassPanel {
    id: gate

    implicitWidth: 340
    implicitHeight: column.implicitHeight + 2 * Theme.space6
    raised: true
    color: Theme.glassMenu

    ColumnLayout {
        id: column
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: Theme.space6
        spacing: Theme.space3

        AppMark {
            Layout.alignment: Qt.AlignHCenter
            size: 48
        }
        Text {
            Layout.fillWidth: true
            Layout.topMargin: 2
            text: "Review and accept"
            horizontalAlignment: Text.AlignHCenter
            font.family: Theme.fontFamily
            font.pixelSize: Theme.title3Size
            font.weight: Font.DemiBold
            color: Theme.text
        }
        Text {
            Layout.fillWidth: true
            text: "Review and accept the Privacy Policy and Terms of Service before using Orvane."
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            lineHeight: 1.15
            font.family: Theme.fontFamily
            font.pixelSize: Theme.bodySize
            color: Theme.textSecondary
        }
        PillButton {
            Layout.fillWidth: true
            Layout.topMargin: Theme.space1
            prominent: true
            text: "Accept to continue"
            onClicked: orvane.openHub()
        }
        Row {
            Layout.alignment: Qt.AlignHCenter
            spacing: Theme.space2
            LinkButton {
                text: "Privacy"
                onClicked: orvane.openPrivacy()
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: "·"
                font.pixelSize: Theme.footnoteSize
                color: Theme.textTertiary
            }
            LinkButton {
                text: "Terms"
                onClicked: orvane.openTerms()
            }
        }
    }
}
