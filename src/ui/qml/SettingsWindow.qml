import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import QtQuick.Window
import QtQuick.Controls.Basic as C

// The settings window: a sidebar of sections and the selected section's form. The shell
// creates and shows it.
Window {
    id: settings

    objectName: "settings"
    title: "Settings"
    width: 760
    height: 660
    minimumWidth: 700
    minimumHeight: 520
    visible: false
    color: Theme.windowBottom

    readonly property int section: settingsModel.section
    readonly property var sections: settingsModel.sections

    Backdrop { anchors.fill: parent }

    GlassPanel {
        id: sidebar
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.margins: Theme.space3
        width: 208

        ColumnLayout {
            anchors.fill: parent
            anchors.margins: Theme.space2
            anchors.topMargin: Theme.space4
            spacing: 2

            Repeater {
                model: settings.sections
                T.AbstractButton {
                    id: entry
                    objectName: "settingsSection_" + modelData.id
                    required property var modelData
                    required property int index
                    readonly property bool selected: index === settings.section

                    Layout.fillWidth: true
                    implicitHeight: 32
                    hoverEnabled: true
                    focusPolicy: Qt.TabFocus
                    text: modelData.title

                    Accessible.role: Accessible.PageTab
                    Accessible.name: text
                    Accessible.selected: selected

                    onClicked: settingsModel.selectSection(index)

                    background: Rectangle {
                        radius: Theme.radiusMedium
                        color: entry.selected ? Theme.accentSoft : entry.pressed ? Theme.pressed : entry.hovered ? Theme.hover : "transparent"
                        border.width: entry.visualFocus ? 2 : 0
                        border.color: Theme.accent
                        Behavior on color { ColorAnimation { duration: Theme.fast } }
                    }
                    contentItem: RowLayout {
                        spacing: 10
                        Item { Layout.preferredWidth: 2 }
                        Symbol {
                            name: entry.modelData.icon
                            tint: entry.selected ? "accent" : "ink"
                            size: 16
                        }
                        Text {
                            Layout.fillWidth: true
                            text: entry.text
                            elide: Text.ElideRight
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.bodySize
                            font.weight: entry.selected ? Font.DemiBold : Font.Normal
                            color: entry.selected ? Theme.accent : Theme.text
                        }
                    }
                }
            }

            Item { Layout.fillHeight: true }

            Text {
                Layout.fillWidth: true
                Layout.leftMargin: Theme.space2
                Layout.bottomMargin: Theme.space2
                text: settingsModel.footer
                elide: Text.ElideRight
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize
                color: Theme.textTertiary
            }
        }
    }

    GlassPanel {
        id: content
        anchors.left: sidebar.right
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.margins: Theme.space3

        RowLayout {
            id: toolbar
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.leftMargin: Theme.space4
            anchors.rightMargin: Theme.space6
            anchors.topMargin: Theme.space4
            spacing: Theme.space1
            IconButton {
                objectName: "settingsBack"
                width: 28
                height: 28
                symbol: "chevron.left"
                label: "Back"
                enabled: settingsModel.canGoBack
                onClicked: settingsModel.back()
            }
            IconButton {
                objectName: "settingsForward"
                width: 28
                height: 28
                symbol: "chevron.right"
                label: "Forward"
                enabled: settingsModel.canGoForward
                onClicked: settingsModel.forward()
            }
            Text {
                Layout.fillWidth: true
                Layout.leftMargin: Theme.space2
                text: settings.sections[settings.section].title
                elide: Text.ElideRight
                font.family: Theme.fontFamily
                font.pixelSize: Theme.title2Size
                font.weight: Font.Bold
                color: Theme.text
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
        }

        Flickable {
            id: scroller
            objectName: "settingsScroller"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: toolbar.bottom
            anchors.bottom: parent.bottom
            anchors.topMargin: Theme.space4
            clip: true
            contentWidth: width
            contentHeight: form.implicitHeight + Theme.space6
            boundsBehavior: Flickable.StopAtBounds
            C.ScrollBar.vertical: C.ScrollBar { policy: scroller.contentHeight > scroller.height ? C.ScrollBar.AsNeeded : C.ScrollBar.AlwaysOff }

            Loader {
                id: form
                x: Theme.space6
                width: scroller.width - 2 * Theme.space6
                sourceComponent: [devices, features, about, advanced][settings.section]
                onLoaded: scroller.contentY = 0
            }
        }
    }

    // A control reached with Tab scrolls into view.
    onActiveFocusItemChanged: {
        const item = activeFocusItem
        if (!item || !form.item || !form.item.contains(form.item.mapFromItem(item, 0, 0)))
            return
        const top = item.mapToItem(scroller.contentItem, 0, 0).y
        const bottom = top + item.height
        if (top < scroller.contentY)
            scroller.contentY = Math.max(0, top - Theme.space4)
        else if (bottom > scroller.contentY + scroller.height)
            scroller.contentY = Math.min(scroller.contentHeight - scroller.height, bottom - scroller.height + Theme.space4)
    }

    Component { id: devices; SettingsDevices {} }
    Component { id: features; SettingsFeatures {} }
    Component { id: about; SettingsAbout {} }
    Component { id: advanced; SettingsAdvanced {} }

    // Disconnecting, forgetting and clearing the chats ask first.
    ConfirmDialog {
        anchors.fill: parent
        title: settingsModel.confirmTitle
        message: settingsModel.confirmMessage
        confirmText: settingsModel.confirmButton
        onConfirmed: settingsModel.confirmAccept()
        onCancelled: settingsModel.confirmCancel()
    }

    // Back and forward, as in a browser.
    Shortcut {
        sequences: ["Alt+Left", "Ctrl+["]
        enabled: settingsModel.canGoBack
        onActivated: settingsModel.back()
    }
    Shortcut {
        sequences: ["Alt+Right", "Ctrl+]"]
        enabled: settingsModel.canGoForward
        onActivated: settingsModel.forward()
    }
    Shortcut {
        sequence: "Escape"
        enabled: settingsModel.confirmTitle === ""
        onActivated: settings.close()
    }
}
