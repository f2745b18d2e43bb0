import QtQuick
import QtQuick.Window

// The hub: the main window. Until the terms are accepted it holds only the gate;
// afterwards the rail, the header, the selected work area and the notifications. The
// pairing sheet and the command palette open over it. The shell shows it.
Window {
    id: hubWindow

    objectName: "hub"
    title: "Orvane"
    width: 1180
    height: 720
    minimumWidth: 960
    minimumHeight: 600
    visible: false
    color: Theme.windowBottom

    readonly property bool accepted: orvane.legalAccepted

    // The Messages pane counts as seen only in the shown, active window.
    function tellWindowState() { hub.setWindowState(visible, active) }
    onVisibleChanged: tellWindowState()
    onActiveChanged: tellWindowState()
    Component.onCompleted: tellWindowState()

    LegalGate {
        anchors.fill: parent
        visible: !hubWindow.accepted
    }

    Item {
        id: frame
        anchors.fill: parent
        visible: hubWindow.accepted

        Backdrop { anchors.fill: parent }

        HubRail {
            id: rail
            anchors.left: parent.left
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            anchors.margins: Theme.space3
            width: implicitWidth
        }
        NotificationsColumn {
            id: notifications
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            anchors.margins: Theme.space3
            width: implicitWidth
        }
        HubHeader {
            id: header
            anchors.left: rail.right
            anchors.right: notifications.left
            anchors.top: parent.top
            anchors.leftMargin: Theme.space3
            anchors.rightMargin: Theme.space3
            anchors.topMargin: Theme.space3
            height: implicitHeight
        }
        HubCentre {
            anchors.left: rail.right
            anchors.right: notifications.left
            anchors.top: header.bottom
            anchors.bottom: parent.bottom
            anchors.margins: Theme.space3
        }
    }

    // The pairing sheet, over a dimmed window that takes every click.
    Item {
        id: sheetLayer
        anchors.fill: parent
        opacity: orvane.showPairing ? 1 : 0
        visible: opacity > 0
        // While it fades out it takes no more clicks.
        enabled: orvane.showPairing
        Behavior on opacity { NumberAnimation { duration: Theme.normal } }

        onVisibleChanged: if (visible) sheet.forceActiveFocus()

        Rectangle {
            anchors.fill: parent
            color: Theme.scrim
            MouseArea { anchors.fill: parent }
        }
        PairingSheet {
            id: sheet
            anchors.centerIn: parent
            width: implicitWidth
            height: implicitHeight
            scale: orvane.showPairing || Theme.reduceMotion ? 1 : 0.96
            Behavior on scale { NumberAnimation { duration: Theme.normal; easing.type: Easing.OutCubic } }
        }
    }

    // "Disconnect from this phone?", asked by the rail's primary action.
    ConfirmDialog {
        anchors.fill: parent
        title: hub.confirmTitle
        message: hub.confirmMessage
        confirmText: hub.confirmButton
        onConfirmed: hub.confirmAccept()
        onCancelled: hub.confirmCancel()
    }

    CommandPalette {
        anchors.fill: parent
        opacity: orvane.paletteOpen ? 1 : 0
        visible: opacity > 0
        enabled: orvane.paletteOpen
        Behavior on opacity { NumberAnimation { duration: Theme.fast } }
    }

    // The application's commands: "Settings…" and "Open Orvane".
    Shortcut {
        sequence: "Ctrl+,"
        context: Qt.ApplicationShortcut
        onActivated: orvane.openSettings()
    }
    Shortcut {
        sequence: "Shift+Ctrl+B"
        context: Qt.ApplicationShortcut
        onActivated: orvane.openHub()
    }
    Shortcut {
        sequence: "Ctrl+K"
        enabled: hubWindow.accepted && !orvane.paletteOpen
        onActivated: orvane.openPalette()
    }
    // Ctrl+1 to Ctrl+4 pick the work areas in the rail's order.
    Shortcut {
        sequence: "Ctrl+1"
        enabled: hubWindow.accepted && orvane.tabs.length > 0
        onActivated: orvane.selectTab(0)
    }
    Shortcut {
        sequence: "Ctrl+2"
        enabled: hubWindow.accepted && orvane.tabs.length > 1
        onActivated: orvane.selectTab(1)
    }
    Shortcut {
        sequence: "Ctrl+3"
        enabled: hubWindow.accepted && orvane.tabs.length > 2
        onActivated: orvane.selectTab(2)
    }
    Shortcut {
        sequence: "Ctrl+4"
        enabled: hubWindow.accepted && orvane.tabs.length > 3
        onActivated: orvane.selectTab(3)
    }
}
