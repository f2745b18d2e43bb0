import QtQuick
import QtQuick.Layouts

// Features: clipboard sync, the hub's header, links, mirroring, the chats kept here and
// starting at login.
ColumnLayout {
    spacing: Theme.space5

    FormSection {
        Layout.fillWidth: true
        title: "Clipboard"
        caption: "Android only lets the focused app read the clipboard, you need to click the notification in order to sync."
        ToggleRow {
            title: "Clipboard sync"
            switchName: "settingsClipboardSwitch"
            checked: settingsModel.clipboardOn
            onToggled: on => settingsModel.setClipboard(on)
        }
        FormRow {
            title: "Mac → Phone"
            value: "Always, while connected"
        }
        FormRow {
            title: "Phone → Mac"
            value: "While Orvane is open on your phone"
        }
    }

    FormSection {
        Layout.fillWidth: true
        title: "Header"
        caption: "These options control the header in the main Orvane window. You can hide them to save space."
        ToggleRow {
            title: "Show section tabs"
            switchName: "headerTabsSwitch"
            checked: settingsModel.headerTabs
            onToggled: on => settingsModel.setHeaderTabs(on)
        }
        ToggleRow {
            title: "Show quick actions"
            switchName: "headerQuickActionsSwitch"
            checked: settingsModel.headerQuickActions
            onToggled: on => settingsModel.setHeaderQuickActions(on)
        }
    }

    FormSection {
        Layout.fillWidth: true
        title: "Links"
        caption: "Shared links open in your default browser. Turn this off to get a notification with Open and Copy instead."
        ToggleRow {
            title: "Open links automatically"
            switchName: "autoOpenLinksSwitch"
            checked: settingsModel.autoOpenLinks
            onToggled: on => settingsModel.setAutoOpenLinks(on)
        }
    }

    FormSection {
        Layout.fillWidth: true
        title: "Mirroring"
        FormRow {
            title: "Notifications"
            value: "Enabled on your phone"
        }
        FormRow {
            title: "Media controls"
            value: "Controlled from this Mac"
        }
    }

    FormSection {
        Layout.fillWidth: true
        visible: settingsModel.canOpenAtLogin
        title: "Startup"
        caption: settingsModel.openAtLoginError !== "" ? settingsModel.openAtLoginError
                                                      : "Orvane starts in the tray when you log in, ready for your phone."
        ToggleRow {
            title: "Open at login"
            switchName: "openAtLoginSwitch"
            checked: settingsModel.openAtLogin
            onToggled: on => settingsModel.setOpenAtLogin(on)
        }
    }

    FormSection {
        Layout.fillWidth: true
        title: "Messages"
        caption: "Chats are built from message notifications received by Orvane and stored on this Mac."
        FormRow {
            title: "Saved chats"
            PillButton {
                objectName: "clearChatsButton"
                compact: true
                text: "Clear Chats in Messages…"
                onClicked: settingsModel.clearChats()
            }
        }
    }
}
