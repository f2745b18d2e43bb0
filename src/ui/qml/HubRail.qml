import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T

// The hub's left rail: the brand, the phone and its state, and the work areas.
GlassPanel {
    id: rail

    implicitWidth: 248

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

        // The phone.
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
                    Text {
                        Layout.fillWidth: true
                        text: orvane.deviceTitle
                        elide: Text.ElideRight
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.calloutSize
                        font.weight: Font.DemiBold
                        color: Theme.text
                    }
                }
                StatusPill {
                    text: orvane.statusWord
                    tone: orvane.connected ? "positive" : "negative"
                }
                Text {
                    Layout.fillWidth: true
                    visible: text !== ""
                    text: orvane.statusSummary
                    wrapMode: Text.WordWrap
                    maximumLineCount: 3
                    elide: Text.ElideRight
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.footnoteSize
                    color: Theme.textSecondary
                }
                // A phone that still holds a pairing this computer forgot: pairing
                // again is what brings it back.
                LinkButton {
                    visible: orvane.oldPairing
                    text: "Pair again"
                    onClicked: orvane.showPairingSheet()
                }
            }
        }

        SectionLabel {
            Layout.topMargin: Theme.space5
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

        Hairline { Layout.fillWidth: true }

        RowLayout {
            Layout.fillWidth: true
            Layout.topMargin: Theme.space3
            Layout.leftMargin: Theme.space2
            Layout.rightMargin: Theme.space2
            Layout.bottomMargin: Theme.space1
            spacing: Theme.space2
            Rectangle {
                visible: orvane.statusWord !== ""
                width: 7
                height: 7
                radius: 3.5
                color: orvane.connected ? Theme.connected : Theme.textTertiary
            }
            Text {
                Layout.fillWidth: true
                text: orvane.statusWord
                elide: Text.ElideRight
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize
                color: Theme.textSecondary
            }
            Text {
                text: orvane.versionText
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize
                color: Theme.textTertiary
            }
        }
    }
}
