import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic as C

// The command palette: a search field over the list of commands, on a dimmed window.
// The keys and the list belong to the shell; this view only passes them on. A click
// outside the card closes it.
Item {
    id: commandPalette

    readonly property var items: orvane.paletteItems
    readonly property int rowHeight: 44

    implicitWidth: 760
    implicitHeight: 520

    function focusField() { field.forceActiveFocus() }

    onVisibleChanged: if (visible) focusField()
    Component.onCompleted: if (visible) focusField()

    Rectangle {
        anchors.fill: parent
        color: Theme.scrim
        MouseArea {
            anchors.fill: parent
            onClicked: orvane.closePalette()
        }
    }

    GlassPanel {
        id: card
        width: Math.min(560, commandPalette.width - 2 * Theme.space6)
        height: column.implicitHeight
        x: Math.round((commandPalette.width - width) / 2)
        y: Math.round(Math.max(Theme.space6, Math.min(commandPalette.height * 0.14, commandPalette.height - height - Theme.space6)))
        radius: Theme.radiusXLarge
        strong: true
        raised: true

        // Clicks on the card stay on the card.
        MouseArea { anchors.fill: parent }

        ColumnLayout {
            id: column
            anchors.left: parent.left
            anchors.right: parent.right
            spacing: 0

            RowLayout {
                Layout.fillWidth: true
                Layout.leftMargin: Theme.space5
                Layout.rightMargin: Theme.space5
                Layout.preferredHeight: 56
                spacing: Theme.space3
                Symbol {
                    name: "magnifyingglass"
                    tint: "muted"
                    size: 19
                }
                C.TextField {
                    id: field
                    Layout.fillWidth: true
                    text: orvane.paletteQuery
                    placeholderText: "Type a command or section…"
                    placeholderTextColor: Theme.textTertiary
                    color: Theme.text
                    selectionColor: Theme.accentSoft
                    selectedTextColor: Theme.text
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.title3Size
                    leftPadding: 0
                    rightPadding: 0
                    background: Item {}
                    Accessible.name: "Command search"

                    onTextEdited: orvane.setPaletteQuery(text)
                    Keys.onUpPressed: orvane.paletteKey("up")
                    Keys.onDownPressed: orvane.paletteKey("down")
                    Keys.onEscapePressed: orvane.paletteKey("escape")
                    Keys.onReturnPressed: orvane.paletteKey("enter")
                    Keys.onEnterPressed: orvane.paletteKey("enter")
                }
            }

            Hairline {
                Layout.fillWidth: true
                visible: list.visible || emptyText.visible
            }

            ListView {
                id: list
                Layout.fillWidth: true
                // Rows have one height, so the list is as tall as its rows, up to eight and a half.
                Layout.preferredHeight: Math.min(count, 8.5) * commandPalette.rowHeight + (count > 0 ? 2 * Theme.space2 : 0)
                visible: count > 0
                topMargin: Theme.space2
                bottomMargin: Theme.space2
                clip: true
                interactive: contentHeight > height
                boundsBehavior: Flickable.StopAtBounds
                model: commandPalette.items
                currentIndex: orvane.paletteIndex
                highlightFollowsCurrentItem: false
                keyNavigationEnabled: false
                onCurrentIndexChanged: if (currentIndex >= 0) positionViewAtIndex(currentIndex, ListView.Contain)

                delegate: Item {
                    id: entry
                    required property var modelData
                    required property int index
                    readonly property bool selected: index === orvane.paletteIndex

                    width: ListView.view.width
                    height: commandPalette.rowHeight

                    Accessible.role: Accessible.ListItem
                    Accessible.name: modelData.title !== undefined ? modelData.title : ""
                    Accessible.selected: selected

                    Rectangle {
                        anchors.fill: parent
                        anchors.leftMargin: Theme.space2
                        anchors.rightMargin: Theme.space2
                        radius: Theme.radiusMedium
                        color: entry.selected ? Theme.accentSoft : hover.hovered ? Theme.hover : "transparent"
                        Behavior on color { ColorAnimation { duration: Theme.fast } }
                    }
                    HoverHandler { id: hover }
                    TapHandler { onTapped: orvane.paletteClick(entry.index) }

                    RowLayout {
                        anchors.fill: parent
                        anchors.leftMargin: Theme.space4
                        anchors.rightMargin: Theme.space5
                        spacing: Theme.space3
                        Rectangle {
                            Layout.preferredWidth: 28
                            Layout.preferredHeight: 28
                            radius: 8
                            color: entry.selected ? Theme.accentFill : Theme.inset
                            border.width: entry.selected ? 0 : 1
                            border.color: Theme.hairline
                            Symbol {
                                anchors.centerIn: parent
                                name: entry.modelData.icon !== undefined ? entry.modelData.icon : ""
                                tint: entry.selected ? "white" : "ink"
                                size: 15
                            }
                        }
                        Text {
                            Layout.fillWidth: true
                            text: entry.modelData.title !== undefined ? entry.modelData.title : ""
                            elide: Text.ElideRight
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.calloutSize
                            font.weight: entry.selected ? Font.Medium : Font.Normal
                            color: Theme.text
                        }
                        Text {
                            visible: text !== ""
                            text: entry.modelData.detail !== undefined && entry.modelData.detail !== null ? entry.modelData.detail : ""
                            elide: Text.ElideRight
                            Layout.maximumWidth: 220
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.footnoteSize
                            color: Theme.textSecondary
                        }
                    }
                }
            }

            Text {
                id: emptyText
                Layout.fillWidth: true
                Layout.topMargin: Theme.space6
                Layout.bottomMargin: Theme.space6
                visible: list.count === 0 && text !== ""
                text: orvane.paletteEmptyText
                horizontalAlignment: Text.AlignHCenter
                font.family: Theme.fontFamily
                font.pixelSize: Theme.bodySize
                color: Theme.textSecondary
            }
        }
    }
}
