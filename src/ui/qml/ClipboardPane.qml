import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import QtQuick.Controls.Basic as C

// Text copied on either device, newest first, as a grid of cards; a click copies a
// card's text again.
ColumnLayout {
    id: pane

    spacing: Theme.space4

    PaneHeader {
        Layout.fillWidth: true
        title: "Clipboard"
        subtitle: "Text copied on either device, newest first."
    }

    RowLayout {
        Layout.fillWidth: true
        spacing: Theme.space2
        Toggle {
            id: sync
            objectName: "clipboardPaneSwitch"
            text: "Clipboard sync"
            checked: orvane.clipboardOn
            onToggled: orvane.setClipboard(checked)
        }
        Text {
            Layout.fillWidth: true
            text: "Clipboard sync"
            elide: Text.ElideRight
            font.family: Theme.fontFamily
            font.pixelSize: Theme.bodySize
            color: Theme.text
            TapHandler { onTapped: orvane.setClipboard(!sync.checked) }
        }
        PillButton {
            compact: true
            symbol: "arrow.up"
            text: "Send clipboard now"
            enabled: orvane.clipboardOn
            onClicked: hub.sendClipboardNow()
        }
        PillButton {
            compact: true
            symbol: "trash"
            text: "Clear"
            enabled: grid.count > 0
            C.ToolTip.visible: hovered
            C.ToolTip.text: "Clear the in-memory history"
            C.ToolTip.delay: 800
            Accessible.description: "Clear the in-memory history"
            onClicked: hub.clearClipHistory()
        }
    }

    GridView {
        id: grid
        objectName: "clipGrid"
        Layout.fillWidth: true
        Layout.fillHeight: true
        visible: count > 0
        clip: true
        model: hub.clips
        readonly property int columns: Math.max(1, Math.floor(width / 220))
        cellWidth: Math.floor(width / columns)
        cellHeight: 122
        boundsBehavior: Flickable.StopAtBounds
        Accessible.role: Accessible.List
        Accessible.name: "Clipboard history"

        delegate: Item {
            id: cell
            required property string key
            required property string text
            required property string age
            required property bool outgoing
            required property string direction
            readonly property bool copied: hub.copiedClip === text
            width: GridView.view.cellWidth
            height: GridView.view.cellHeight

            T.AbstractButton {
                id: clipCard
                anchors.fill: parent
                anchors.rightMargin: Theme.space2
                anchors.bottomMargin: Theme.space2
                hoverEnabled: true
                focusPolicy: Qt.TabFocus
                Accessible.role: Accessible.Button
                Accessible.name: "Copy to clipboard: " + cell.text
                C.ToolTip.visible: hovered
                C.ToolTip.text: "Copy to clipboard"
                C.ToolTip.delay: 800
                onClicked: hub.copyClip(cell.key)

                background: Rectangle {
                    radius: Theme.radiusMedium + 3
                    color: clipCard.pressed ? Theme.pressed : clipCard.hovered ? Theme.glassStrong
                         : (Theme.dark ? Qt.rgba(1, 1, 1, 0.045) : Qt.rgba(1, 1, 1, 0.82))
                    border.width: clipCard.visualFocus || cell.copied ? 2 : 1
                    border.color: clipCard.visualFocus || cell.copied ? Theme.accent : Theme.hairline
                    Behavior on color { ColorAnimation { duration: Theme.fast } }
                }
                contentItem: ColumnLayout {
                    spacing: Theme.space2
                    Text {
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        Layout.margins: Theme.space3
                        Layout.bottomMargin: 0
                        text: cell.text
                        wrapMode: Text.Wrap
                        elide: Text.ElideRight
                        maximumLineCount: 3
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.bodySize
                        color: Theme.text
                    }
                    RowLayout {
                        Layout.fillWidth: true
                        Layout.margins: Theme.space3
                        Layout.topMargin: 0
                        spacing: 5
                        Symbol {
                            name: cell.outgoing ? "arrow.up.right" : "arrow.down.left"
                            tint: "muted"
                            size: 12
                            Accessible.role: Accessible.Graphic
                            Accessible.name: cell.direction
                        }
                        Text {
                            Layout.fillWidth: true
                            text: cell.age
                            elide: Text.ElideRight
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.captionSize
                            color: Theme.textTertiary
                        }
                        Symbol {
                            visible: cell.copied
                            name: "checkmark"
                            tint: "accent"
                            size: 12
                        }
                        Text {
                            visible: cell.copied
                            text: "Copied"
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.captionSize
                            font.weight: Font.DemiBold
                            color: Theme.accent
                        }
                    }
                }
            }
        }
    }

    Item {
        Layout.fillWidth: true
        Layout.fillHeight: true
        visible: grid.count === 0
        EmptyState {
            anchors.centerIn: parent
            width: Math.min(parent.width - 2 * Theme.space6, 360)
            icon: "doc.on.clipboard"
            title: hub.clipEmptyTitle
            detail: hub.clipEmptyDetail
        }
    }
}
