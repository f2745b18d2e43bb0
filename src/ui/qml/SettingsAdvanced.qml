import QtQuick
import QtQuick.Layouts

// Advanced: the permission media keys need, and what the link and the last media
// command did.
ColumnLayout {
    spacing: Theme.space5

    FormSection {
        Layout.fillWidth: true
        title: "Accessibility"
        caption: "Needed only to post media keys when system player access is unavailable."
        FormRow {
            title: "Status"
            value: settingsModel.accessibility
        }
        FormRow {
            title: "Settings"
            PillButton {
                compact: true
                text: "Open Accessibility Settings"
                onClicked: settingsModel.openAccessibilitySettings()
            }
        }
    }

    FormSection {
        Layout.fillWidth: true
        title: "Diagnostics"
        FormRow {
            title: "Connection"
            value: settingsModel.connection
        }
        FormRow {
            title: "Last media command"
            value: settingsModel.lastMediaCommand
        }
    }
}
