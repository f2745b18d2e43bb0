import QtQuick
import QtQuick.Layouts

// Devices: the paired phone, its last status report, the network and what can be done
// about the pairing.
ColumnLayout {
    spacing: Theme.space5

    FormSection {
        Layout.fillWidth: true
        title: "Paired device"
        caption: "Name as you want."
        FormRow {
            title: "Device"
            value: settingsModel.device
        }
        FormRow {
            title: "Device name"
            InputField {
                id: nameField
                objectName: "deviceNameField"
                Layout.preferredWidth: 220
                implicitHeight: 28
                text: settingsModel.nameDraft
                placeholderText: "Phone name"
                accessibleName: "Device name"
                enabled: settingsModel.paired
                onAccepted: settingsModel.rename(text)
            }
        }
        FormRow {
            title: "Connection"
            value: settingsModel.connection
        }
    }

    FormSection {
        Layout.fillWidth: true
        title: "Phone status"
        // Four fixed rows reading their places: a Repeater would build them again on
        // every change of the link.
        FormRow { title: settingsModel.phoneStatus[0].title; value: settingsModel.phoneStatus[0].value }
        FormRow { title: settingsModel.phoneStatus[1].title; value: settingsModel.phoneStatus[1].value }
        FormRow { title: settingsModel.phoneStatus[2].title; value: settingsModel.phoneStatus[2].value }
        FormRow { title: settingsModel.phoneStatus[3].title; value: settingsModel.phoneStatus[3].value }
    }

    FormSection {
        Layout.fillWidth: true
        title: "Network"
        caption: "Your devices remember each other."
        FormRow {
            title: "Status"
            value: settingsModel.connection
            highlighted: settingsModel.connected
        }
        FormRow {
            title: "Server address"
            value: settingsModel.serverAddress
        }
        FormRow {
            title: "Phone address"
            value: settingsModel.phoneAddress
        }
        FormRow {
            visible: settingsModel.lanToken !== ""
            title: "LAN token"
            value: settingsModel.lanToken
        }
        Text {
            Layout.fillWidth: true
            Layout.bottomMargin: Theme.space1
            visible: settingsModel.lanToken !== ""
            text: "Used only to find this Mac on the same local network. It never authenticates a session."
            wrapMode: Text.WordWrap
            font.family: Theme.fontFamily
            font.pixelSize: Theme.footnoteSize
            color: Theme.textSecondary
        }
    }

    ColumnLayout {
        Layout.fillWidth: true
        spacing: Theme.space2
        Flow {
            Layout.fillWidth: true
            spacing: Theme.space2
            PillButton {
                objectName: "devicesPrimary"
                text: settingsModel.primaryTitle
                prominent: !settingsModel.connected
                onClicked: settingsModel.pressPrimary()
            }
            PillButton {
                visible: settingsModel.paired
                text: "Pair new device…"
                onClicked: settingsModel.pairNewDevice()
            }
            PillButton {
                objectName: "forgetButton"
                visible: settingsModel.paired
                text: "Forget"
                onClicked: settingsModel.forget()
            }
        }
        Text {
            Layout.fillWidth: true
            Layout.leftMargin: Theme.space1
            visible: settingsModel.paired
            text: "Forgetting removes the pairing on both devices. You will need to scan a new QR code."
            wrapMode: Text.WordWrap
            font.family: Theme.fontFamily
            font.pixelSize: Theme.footnoteSize
            color: Theme.textSecondary
        }
    }
}
