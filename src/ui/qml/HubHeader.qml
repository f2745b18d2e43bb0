import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import QtQuick.Controls.Basic as C

// The row above the centre pane: the section tabs when the user turned them on, the
// field-like button that opens the command palette, the quick actions when turned on,
// and the settings button.
Item {
    id: header

    implicitHeight: 34

    RowLayout {
        anchors.fill: parent
        spacing: Theme.space2

        SectionTabs {
            visible: hub.headerTabs
            Layout.preferredHeight: 34
        }

        T.AbstractButton {
            id: search
            Layout.fillWidth: true
            Layout.maximumWidth: 440
            // Crowded by the tabs and the quick actions, it keeps its glass and its symbol.
            Layout.minimumWidth: 40
            Layout.preferredHeight: 34
            hoverEnabled: true
            focusPolicy: Qt.TabFocus

            Accessible.role: Accessible.Button
            Accessible.name: "Search and commands"
            C.ToolTip.visible: hovered
            C.ToolTip.text: "Search and commands (Ctrl+K)"
            C.ToolTip.delay: 800

            onClicked: orvane.openPalette()

            background: Rectangle {
                radius: Theme.radiusMedium + 1
                color: search.pressed ? Theme.pressed : search.hovered ? Theme.glassStrong : Theme.glass
                border.width: search.visualFocus ? 2 : 1
                border.color: search.visualFocus ? Theme.accent : search.hovered ? Theme.hairlineStrong : Theme.hairline
                Behavior on color { ColorAnimation { duration: Theme.fast } }
            }
            contentItem: RowLayout {
                spacing: Theme.space2
                Item { Layout.preferredWidth: 4 }
                Symbol {
                    name: "magnifyingglass"
                    tint: "muted"
                    size: 15
                }
                Text {
                    Layout.fillWidth: true
                    text: "Search or run a command…"
                    elide: Text.ElideRight
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.bodySize
                    color: Theme.textSecondary
                }
                Rectangle {
                    visible: search.width > 220
                    implicitWidth: keys.implicitWidth + 12
                    implicitHeight: 20
                    radius: 5
                    color: Theme.inset
                    border.width: 1
                    border.color: Theme.hairline
                    Text {
                        id: keys
                        anchors.centerIn: parent
                        text: "Ctrl K"
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.captionSize
                        font.weight: Font.Medium
                        color: Theme.textSecondary
                    }
                }
                Item { Layout.preferredWidth: 2 }
            }
        }

        Item { Layout.fillWidth: true }

        Row {
            visible: hub.headerQuickActions
            spacing: Theme.space1
            IconButton {
                width: 34
                height: 34
                symbol: "doc.on.clipboard"
                label: "Send clipboard now"
                symbolSize: 16
                onClicked: hub.sendClipboardNow()
            }
            IconButton {
                width: 34
                height: 34
                symbol: "power"
                label: "Disconnect"
                symbolSize: 16
                onClicked: hub.disconnect()
            }
            IconButton {
                width: 34
                height: 34
                symbol: "arrow.clockwise"
                label: "Reconnect"
                symbolSize: 16
                onClicked: hub.reconnect()
            }
        }

        IconButton {
            Layout.preferredWidth: 34
            Layout.preferredHeight: 34
            symbol: "gearshape"
            label: "Settings"
            symbolSize: 17
            onClicked: orvane.openSettings()
        }
    }
}
