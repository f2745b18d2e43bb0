import QtQuick
import QtQuick.Layouts

// The phone's player, controlled from here, and this computer's own player, which the
// phone controls.
ColumnLayout {
    id: pane

    readonly property var phone: hub.phonePlayer
    readonly property var computer: hub.computerPlayer
    readonly property bool phonePlaying: phone.title !== undefined

    spacing: Theme.space4

    PaneHeader {
        Layout.fillWidth: true
        title: "Now Playing"
        subtitle: "Your phone's player, controlled from this Mac."
    }

    Rectangle {
        Layout.fillWidth: true
        implicitHeight: pane.phonePlaying ? 200 : 190
        radius: Theme.radiusLarge
        color: Theme.inset
        border.width: 1
        border.color: Theme.hairline

        EmptyState {
            visible: !pane.phonePlaying
            anchors.centerIn: parent
            width: parent.width - 2 * Theme.space6
            icon: "music.note"
            title: "Nothing playing on your phone"
            detail: "Play something on the phone and it appears here."
        }

        RowLayout {
            visible: pane.phonePlaying
            anchors.fill: parent
            anchors.margins: Theme.space5
            spacing: Theme.space5
            Rectangle {
                Layout.preferredWidth: 160
                Layout.preferredHeight: 160
                radius: Theme.radiusMedium + 3
                color: Theme.dark ? Qt.rgba(1, 1, 1, 0.06) : Qt.rgba(0.1, 0.1, 0.2, 0.06)
                clip: true
                Image {
                    anchors.fill: parent
                    visible: orvane.mediaArtwork !== ""
                    source: pane.phonePlaying ? orvane.mediaArtwork : ""
                    sourceSize.width: 320
                    sourceSize.height: 320
                    fillMode: Image.PreserveAspectCrop
                    asynchronous: true
                    Accessible.role: Accessible.Graphic
                    Accessible.name: "Cover"
                }
                Symbol {
                    anchors.centerIn: parent
                    visible: orvane.mediaArtwork === ""
                    name: "music.note"
                    tint: "muted"
                    size: 44
                }
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 3
                StatusPill {
                    text: pane.phonePlaying ? pane.phone.state : ""
                    tone: pane.phonePlaying && pane.phone.playing ? "positive" : "neutral"
                }
                Text {
                    Layout.fillWidth: true
                    Layout.topMargin: Theme.space2
                    text: pane.phonePlaying ? pane.phone.title : ""
                    elide: Text.ElideRight
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.title3Size + 2
                    font.weight: Font.Bold
                    color: Theme.text
                }
                Text {
                    Layout.fillWidth: true
                    visible: text !== ""
                    text: pane.phonePlaying ? pane.phone.artist : ""
                    elide: Text.ElideRight
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.calloutSize
                    color: Theme.text
                }
                Text {
                    Layout.fillWidth: true
                    visible: text !== ""
                    text: pane.phonePlaying ? pane.phone.album : ""
                    elide: Text.ElideRight
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.bodySize
                    color: Theme.textSecondary
                }
                Row {
                    Layout.topMargin: Theme.space3
                    spacing: Theme.space3
                    IconButton {
                        width: 36
                        height: 36
                        circular: true
                        symbol: "backward.fill"
                        label: "Previous"
                        onClicked: orvane.mediaPrevious()
                    }
                    IconButton {
                        objectName: "phonePlayPause"
                        width: 44
                        height: 44
                        prominent: true
                        symbolSize: 18
                        symbol: pane.phonePlaying && pane.phone.playing ? "pause.fill" : "play.fill"
                        label: pane.phonePlaying ? pane.phone.playPauseLabel : "Play"
                        onClicked: orvane.mediaPlayPause()
                    }
                    IconButton {
                        width: 36
                        height: 36
                        circular: true
                        symbol: "forward.fill"
                        label: "Next"
                        onClicked: orvane.mediaNext()
                    }
                }
            }
        }
    }

    SectionLabel {
        Layout.topMargin: Theme.space2
        text: "This Mac · controlled from your phone"
    }

    Rectangle {
        Layout.fillWidth: true
        implicitHeight: 72
        radius: Theme.radiusLarge
        color: Theme.inset
        border.width: 1
        border.color: Theme.hairline
        Accessible.role: Accessible.StaticText
        Accessible.name: computerTitle.text + " " + computerDetail.text

        RowLayout {
            anchors.fill: parent
            anchors.margins: Theme.space4
            spacing: Theme.space3
            Rectangle {
                Layout.preferredWidth: 40
                Layout.preferredHeight: 40
                radius: 9
                color: Theme.dark ? Qt.rgba(1, 1, 1, 0.06) : Qt.rgba(1, 1, 1, 0.9)
                border.width: 1
                border.color: Theme.hairline
                Symbol {
                    anchors.centerIn: parent
                    name: "macwindow"
                    tint: "muted"
                    size: 19
                }
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 2
                Text {
                    id: computerTitle
                    Layout.fillWidth: true
                    text: pane.computer.title !== undefined ? pane.computer.title : "Nothing playing on this computer"
                    elide: Text.ElideRight
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.bodySize
                    font.weight: Font.DemiBold
                    color: Theme.text
                }
                Text {
                    id: computerDetail
                    Layout.fillWidth: true
                    text: pane.computer.title !== undefined
                          ? [pane.computer.artist, pane.computer.app].filter(function (t) { return t !== "" }).join(" · ")
                          : "A player that supports MPRIS appears here."
                    elide: Text.ElideRight
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.footnoteSize
                    color: Theme.textSecondary
                }
            }
            StatusPill {
                visible: pane.computer.title !== undefined
                text: pane.computer.state !== undefined ? pane.computer.state : ""
                tone: pane.computer.playing === true ? "positive" : "neutral"
            }
        }
    }

    Item { Layout.fillHeight: true }
}
