import QtQuick
import QtQuick.Layouts

// The tray popover: the phone's state at a glance, the player, the common switches and
// the way into the hub. Until the terms are accepted it shows the gate instead.
Item {
    id: popover

    readonly property bool accepted: orvane.legalAccepted
    readonly property bool playing: orvane.playPauseLabel === "Pause"
    readonly property string oldPairingText: "Your phone has an old pairing. Pair again"

    implicitWidth: 340
    implicitHeight: accepted ? content.implicitHeight + 2 * Theme.space3 : gate.implicitHeight

    LegalGatePopover {
        id: gate
        anchors.fill: parent
        visible: !popover.accepted
    }

    GlassPanel {
        anchors.fill: parent
        visible: popover.accepted
        raised: true
        color: Theme.glassMenu

        ColumnLayout {
            id: content
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.margins: Theme.space3
            spacing: Theme.space2

            // Header.
            RowLayout {
                Layout.fillWidth: true
                Layout.leftMargin: Theme.space1
                Layout.rightMargin: Theme.space1
                Layout.topMargin: 2
                spacing: 10
                AppMark { size: 30 }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 1
                    Text {
                        text: "Orvane"
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.headlineSize
                        font.weight: Font.DemiBold
                        color: Theme.text
                    }
                    Text {
                        Layout.fillWidth: true
                        visible: text !== ""
                        text: orvane.headerSubtitle
                        elide: Text.ElideRight
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.footnoteSize
                        color: Theme.textSecondary
                    }
                }
            }

            Hairline { Layout.fillWidth: true }

            // The phone.
            RowLayout {
                Layout.fillWidth: true
                Layout.leftMargin: Theme.space1
                Layout.rightMargin: Theme.space1
                spacing: Theme.space3

                Rectangle {
                    Layout.preferredWidth: 40
                    Layout.preferredHeight: 40
                    Layout.alignment: Qt.AlignTop
                    radius: 11
                    color: Theme.inset
                    border.width: 1
                    border.color: Theme.hairline
                    Symbol {
                        anchors.centerIn: parent
                        name: "iphone.gen3"
                        size: 22
                    }
                    ActivityDot {
                        anchors.right: parent.right
                        anchors.bottom: parent.bottom
                        anchors.rightMargin: -3
                        anchors.bottomMargin: -3
                        live: orvane.connected
                        pulse: orvane.trafficPulse
                    }
                }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 3
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: Theme.space2
                        Text {
                            Layout.fillWidth: true
                            text: orvane.deviceTitle
                            elide: Text.ElideRight
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.calloutSize
                            font.weight: Font.DemiBold
                            color: Theme.text
                        }
                        StatusPill {
                            text: orvane.statusWord
                            tone: orvane.connected ? "positive" : "negative"
                        }
                    }
                    Text {
                        Layout.fillWidth: true
                        // The notice below says it already.
                        visible: text !== "" && !(orvane.oldPairing && text === popover.oldPairingText)
                        text: orvane.statusSummary
                        wrapMode: Text.WordWrap
                        maximumLineCount: 2
                        elide: Text.ElideRight
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.footnoteSize
                        color: Theme.textSecondary
                    }
                }
            }

            // A phone that still holds a pairing this computer forgot.
            Rectangle {
                Layout.fillWidth: true
                visible: orvane.oldPairing
                implicitHeight: notice.implicitHeight + 2 * 10
                radius: Theme.radiusMedium
                color: Qt.rgba(Theme.warning.r, Theme.warning.g, Theme.warning.b, Theme.dark ? 0.14 : 0.11)
                border.width: 1
                border.color: Qt.rgba(Theme.warning.r, Theme.warning.g, Theme.warning.b, 0.3)
                RowLayout {
                    id: notice
                    anchors.fill: parent
                    anchors.leftMargin: 10
                    anchors.rightMargin: 8
                    spacing: Theme.space2
                    Symbol {
                        Layout.alignment: Qt.AlignVCenter
                        name: "exclamationmark.triangle"
                        tint: "warning"
                        size: 16
                    }
                    Text {
                        Layout.fillWidth: true
                        text: popover.oldPairingText
                        wrapMode: Text.WordWrap
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.footnoteSize
                        color: Theme.text
                    }
                    PillButton {
                        compact: true
                        text: "Pair again"
                        onClicked: orvane.showPairingSheet()
                    }
                }
            }

            // The phone's player.
            ColumnLayout {
                Layout.fillWidth: true
                visible: orvane.hasMedia
                spacing: 6

                Hairline { Layout.fillWidth: true; Layout.bottomMargin: 2 }
                SectionLabel {
                    Layout.leftMargin: Theme.space1
                    text: "Now playing"
                }
                RowLayout {
                    Layout.fillWidth: true
                    Layout.leftMargin: Theme.space1
                    spacing: 10

                    Rectangle {
                        Layout.preferredWidth: 44
                        Layout.preferredHeight: 44
                        radius: 8
                        color: Theme.inset
                        border.width: artwork.ready ? 0 : 1
                        border.color: Theme.hairline
                        Symbol {
                            anchors.centerIn: parent
                            visible: !artwork.ready
                            name: "music.note"
                            tint: "muted"
                            size: 20
                        }
                        Image {
                            id: artwork
                            readonly property bool ready: status === Image.Ready
                            anchors.fill: parent
                            anchors.margins: 1
                            visible: ready
                            source: orvane.mediaArtwork
                            fillMode: Image.PreserveAspectCrop
                            sourceSize.width: 88
                            sourceSize.height: 88
                            cache: false
                            smooth: true
                        }
                    }
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 2
                        Text {
                            Layout.fillWidth: true
                            text: orvane.mediaTitle
                            elide: Text.ElideRight
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.bodySize
                            font.weight: Font.DemiBold
                            color: Theme.text
                        }
                        Text {
                            Layout.fillWidth: true
                            visible: text !== ""
                            text: orvane.mediaSubtitle
                            elide: Text.ElideRight
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.footnoteSize
                            color: Theme.textSecondary
                        }
                    }
                    IconButton {
                        symbol: "backward.fill"
                        label: "Previous"
                        symbolSize: 15
                        onClicked: orvane.mediaPrevious()
                    }
                    IconButton {
                        implicitWidth: 32
                        implicitHeight: 32
                        prominent: true
                        symbol: popover.playing ? "pause.fill" : "play.fill"
                        label: orvane.playPauseLabel
                        symbolSize: 14
                        onClicked: orvane.mediaPlayPause()
                    }
                    IconButton {
                        symbol: "forward.fill"
                        label: "Next"
                        symbolSize: 15
                        onClicked: orvane.mediaNext()
                    }
                }
            }

            Hairline { Layout.fillWidth: true }

            ColumnLayout {
                Layout.fillWidth: true
                spacing: 1
                ActionRow {
                    Layout.fillWidth: true
                    symbol: "bell"
                    text: "Notifications"
                    trailingText: orvane.notificationsText
                    onClicked: orvane.openHub()
                }
                ActionRow {
                    Layout.fillWidth: true
                    symbol: "doc.on.clipboard"
                    text: "Clipboard sync"
                    onClicked: orvane.setClipboard(!orvane.clipboardOn)
                    Toggle {
                        objectName: "clipboardSwitch"
                        text: "Clipboard sync"
                        checked: orvane.clipboardOn
                        onToggled: orvane.setClipboard(checked)
                    }
                }
                ActionRow {
                    Layout.fillWidth: true
                    symbol: "macwindow"
                    text: "Open Orvane…"
                    onClicked: orvane.openHub()
                }
                ActionRow {
                    Layout.fillWidth: true
                    symbol: "gearshape"
                    text: "Settings"
                    onClicked: orvane.openSettings()
                }
            }

            Hairline { Layout.fillWidth: true }

            RowLayout {
                Layout.fillWidth: true
                Layout.leftMargin: Theme.space1 + 2
                spacing: Theme.space2
                Text {
                    Layout.fillWidth: true
                    text: orvane.versionText
                    elide: Text.ElideRight
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.captionSize
                    color: Theme.textTertiary
                }
                PillButton {
                    compact: true
                    text: "Quit Orvane"
                    onClicked: orvane.quit()
                }
            }
        }
    }
}
