import QtQuick
import QtQuick.Layouts

// About: the program, its build, its privacy promise and the terms.
ColumnLayout {
    spacing: Theme.space5

    RowLayout {
        Layout.fillWidth: true
        spacing: Theme.space4
        AppMark { size: 56 }
        ColumnLayout {
            spacing: 2
            Text {
                text: "Orvane"
                font.family: Theme.fontFamily
                font.pixelSize: Theme.title2Size
                font.weight: Font.Bold
                color: Theme.text
            }
            Text {
                text: "A little more connected."
                font.family: Theme.fontFamily
                font.pixelSize: Theme.bodySize
                color: Theme.textSecondary
            }
        }
    }

    FormSection {
        Layout.fillWidth: true
        title: "Build"
        FormRow {
            title: "Version"
            value: settingsModel.version
        }
        FormRow {
            title: "Media backend"
            value: settingsModel.mediaBackend
        }
        FormRow {
            title: "Pairing"
            value: settingsModel.pairingText
        }
    }

    FormSection {
        Layout.fillWidth: true
        title: "Privacy"
        Text {
            Layout.fillWidth: true
            Layout.topMargin: Theme.space2
            Layout.bottomMargin: Theme.space2
            text: "Clipboard text stays in memory only. Chats shown in Messages are cached on this Mac until you clear them in Settings."
            wrapMode: Text.WordWrap
            lineHeight: 1.1
            font.family: Theme.fontFamily
            font.pixelSize: Theme.bodySize
            color: Theme.text
        }
    }

    FormSection {
        Layout.fillWidth: true
        title: "Legal"
        FormRow {
            title: "Terms of service"
            value: settingsModel.terms
        }
        FormRow {
            visible: settingsModel.acceptedOn !== ""
            title: "Accepted on"
            value: settingsModel.acceptedOn
        }
        RowLayout {
            Layout.fillWidth: true
            Layout.minimumHeight: 34
            spacing: Theme.space4
            LinkButton {
                text: "Privacy policy"
                pixelSize: Theme.bodySize
                onClicked: settingsModel.openPrivacy()
            }
            LinkButton {
                text: "Terms of service"
                pixelSize: Theme.bodySize
                onClicked: settingsModel.openTerms()
            }
            Item { Layout.fillWidth: true }
        }
    }
}
