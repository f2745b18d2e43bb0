import QtQuick
import QtQuick.Layouts

// "Now playing" at the foot of the rail: the phone's player with its cover and
// buttons, and a way to the Now Playing pane.
ColumnLayout {
    id: player

    readonly property bool playing: orvane.hasMedia

    spacing: Theme.space2

    RowLayout {
        Layout.fillWidth: true
        Layout.leftMargin: Theme.space2
        SectionLabel {
            Layout.fillWidth: true
            text: "Now playing"
        }
        LinkButton {
            text: "Open Now Playing"
            onClicked: orvane.selectTab(1)
        }
    }

    Rectangle {
        Layout.fillWidth: true
        implicitHeight: 58
        radius: Theme.radiusMedium + 2
        color: Theme.inset
        border.width: 1
        border.color: Theme.hairline

        RowLayout {
            anchors.fill: parent
            anchors.margins: 8
            spacing: 8
            Rectangle {
                Layout.preferredWidth: 42
                Layout.preferredHeight: 42
                radius: 8
                color: Theme.dark ? Qt.rgba(1, 1, 1, 0.06) : Qt.rgba(0.1, 0.1, 0.2, 0.06)
                clip: true
                Image {
                    anchors.fill: parent
                    visible: player.playing && orvane.mediaArtwork !== ""
                    source: player.playing ? orvane.mediaArtwork : ""
                    sourceSize.width: 84
                    sourceSize.height: 84
                    fillMode: Image.PreserveAspectCrop
                    asynchronous: true
                }
                Symbol {
                    anchors.centerIn: parent
                    visible: !player.playing || orvane.mediaArtwork === ""
                    name: "music.note"
                    tint: "muted"
                    size: 18
                }
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 1
                Text {
                    Layout.fillWidth: true
                    text: player.playing ? orvane.mediaTitle : "Nothing playing"
                    elide: Text.ElideRight
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.footnoteSize
                    font.weight: player.playing ? Font.DemiBold : Font.Normal
                    color: player.playing ? Theme.text : Theme.textSecondary
                }
                Text {
                    Layout.fillWidth: true
                    visible: player.playing && text !== ""
                    text: orvane.mediaSubtitle
                    elide: Text.ElideRight
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.captionSize
                    color: Theme.textSecondary
                }
            }
            Row {
                visible: player.playing
                spacing: 0
                IconButton {
                    symbol: "backward.fill"
                    label: "Previous"
                    symbolSize: 12
                    width: 24
                    onClicked: orvane.mediaPrevious()
                }
                IconButton {
                    symbol: orvane.playPauseLabel === "Pause" ? "pause.fill" : "play.fill"
                    label: orvane.playPauseLabel
                    symbolSize: 12
                    width: 24
                    onClicked: orvane.mediaPlayPause()
                }
                IconButton {
                    symbol: "forward.fill"
                    label: "Next"
                    symbolSize: 12
                    width: 24
                    onClicked: orvane.mediaNext()
                }
            }
        }
    }
}
