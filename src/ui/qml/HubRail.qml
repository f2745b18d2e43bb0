import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import QtQuick.Controls.Basic as C

// The hub's left rail: the brand, the phone and its state, and the work areas.
GlassPanel {
    id: rail

    implicitWidth: 256

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: Theme.space3
        spacing: 0

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: Theme.space1
            Layout.topMargin: Theme.space1
            spacing: 10
            AppMark { size: 28 }
            Text {
                Layout.fillWidth: true
                text: "Orvane"
                font.family: Theme.fontFamily
                font.pixelSize: Theme.headlineSize
                font.weight: Font.DemiBold
                color: Theme.text
            }
        }

        // The phone: its name, how it is linked, its last status report and the
        // features in use.
        Rectangle {
            Layout.fillWidth: true
            Layout.topMargin: Theme.space4
            implicitHeight: hero.implicitHeight + 2 * Theme.space3
            radius: Theme.radiusLarge - 2
            color: Theme.inset
            border.width: 1
            border.color: Theme.hairline

            ColumnLayout {
                id: hero
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.margins: Theme.space3
                spacing: Theme.space2
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 10
                    Rectangle {
                        Layout.preferredWidth: 34
                        Layout.preferredHeight: 34
                        radius: 9
                        color: Theme.dark ? Qt.rgba(1, 1, 1, 0.06) : Qt.rgba(1, 1, 1, 0.9)
                        border.width: 1
                        border.color: Theme.hairline
                        Symbol {
                            anchors.centerIn: parent
                            name: "iphone.gen3"
                            size: 19
                        }
                    }
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 1
                        Text {
                            objectName: "railDeviceTitle"
                            Layout.fillWidth: true
                            text: orvane.deviceTitle
                            elide: Text.ElideRight
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.calloutSize
                            font.weight: Font.DemiBold
                            color: Theme.text
                            Accessible.role: Accessible.StaticText
                            Accessible.name: text
                        }
                        Text {
                            Layout.fillWidth: true
                            text: hub.railDetail
                            elide: Text.ElideRight
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.footnoteSize
                            color: Theme.textSecondary
                        }
                    }
                }
                // A phone that still holds a pairing this computer forgot: pairing
                // again is what brings it back.
                LinkButton {
                    visible: orvane.oldPairing
                    text: "Pair again"
                    onClicked: orvane.showPairingSheet()
                }
                GridLayout {
                    Layout.fillWidth: true
                    Layout.topMargin: 2
                    columns: 2
                    rowSpacing: 6
                    columnSpacing: 6
                    // Four fixed tiles, each reading its place in the list: a Repeater
                    // would build them again on every change of the link.
                    StatusTile { Layout.fillWidth: true; Layout.preferredWidth: 1; reading: hub.tiles[0] }
                    StatusTile { Layout.fillWidth: true; Layout.preferredWidth: 1; reading: hub.tiles[1] }
                    StatusTile { Layout.fillWidth: true; Layout.preferredWidth: 1; reading: hub.tiles[2] }
                    StatusTile { Layout.fillWidth: true; Layout.preferredWidth: 1; reading: hub.tiles[3] }
                }
                Flow {
                    Layout.fillWidth: true
                    Layout.topMargin: 2
                    spacing: 10
                    FeatureDot { reading: hub.featureDots[0] }
                    FeatureDot { reading: hub.featureDots[1] }
                    FeatureDot { reading: hub.featureDots[2] }
                }
                PillButton {
                    objectName: "railPrimary"
                    Layout.fillWidth: true
                    Layout.topMargin: 2
                    compact: true
                    text: hub.primaryTitle
                    symbol: hub.primaryIcon
                    prominent: hub.primaryIcon !== "power"
                    Accessible.description: hub.primaryHelp
                    C.ToolTip.visible: hovered && hub.primaryHelp !== ""
                    C.ToolTip.text: hub.primaryHelp
                    C.ToolTip.delay: 800
                    onClicked: hub.pressPrimary()
                }
            }
        }

        SectionLabel {
            Layout.topMargin: Theme.space4
            Layout.leftMargin: Theme.space2
            Layout.bottomMargin: Theme.space1 + 2
            visible: tabRepeater.count > 0
            text: "WORKSPACE"
        }

        Repeater {
            id: tabRepeater
            model: orvane.tabs
            T.AbstractButton {
                id: tab
                required property var modelData
                required property int index
                readonly property bool selected: index === orvane.selectedTab

                Layout.fillWidth: true
                Layout.bottomMargin: 2
                implicitHeight: 34
                hoverEnabled: true
                focusPolicy: Qt.TabFocus
                text: modelData.title !== undefined ? modelData.title : ""
                checkable: false

                Accessible.role: Accessible.PageTab
                Accessible.name: text
                Accessible.selected: selected

                onClicked: orvane.selectTab(index)

                background: Rectangle {
                    radius: Theme.radiusMedium
                    color: tab.selected ? Theme.accentSoft : tab.pressed ? Theme.pressed : tab.hovered ? Theme.hover : "transparent"
                    border.width: tab.visualFocus ? 2 : 0
                    border.color: Theme.accent
                    Behavior on color { ColorAnimation { duration: Theme.fast } }
                }
                contentItem: RowLayout {
                    spacing: 10
                    Item { Layout.preferredWidth: 2 }
                    Symbol {
                        name: tab.modelData.icon !== undefined ? tab.modelData.icon : ""
                        tint: tab.selected ? "accent" : "ink"
                        size: 16
                    }
                    Text {
                        Layout.fillWidth: true
                        text: tab.text
                        elide: Text.ElideRight
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.bodySize
                        font.weight: tab.selected ? Font.DemiBold : Font.Normal
                        color: tab.selected ? Theme.accent : Theme.text
                    }
                    Text {
                        visible: tab.index < 9
                        text: "Ctrl+" + (tab.index + 1)
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.captionSize
                        color: Theme.textTertiary
                    }
                    Item { Layout.preferredWidth: 4 }
                }
            }
        }

        Item { Layout.fillHeight: true }

        MiniPlayer {
            Layout.fillWidth: true
            Layout.bottomMargin: Theme.space3
        }

        Hairline { Layout.fillWidth: true }

        RowLayout {
            Layout.fillWidth: true
            Layout.topMargin: Theme.space3
            Layout.leftMargin: Theme.space2
            Layout.rightMargin: Theme.space2
            Layout.bottomMargin: Theme.space1
            spacing: Theme.space2
            Rectangle {
                width: 7
                height: 7
                radius: 3.5
                color: orvane.connected ? Theme.connected : Theme.textTertiary
            }
            Text {
                Layout.fillWidth: true
                text: hub.connectionTitle
                elide: Text.ElideRight
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize
                color: Theme.textSecondary
            }
            Text {
                text: hub.footerVersion
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize
                color: Theme.textTertiary
            }
        }
    }
}
