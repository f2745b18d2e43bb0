import QtQuick

// A small rounded label for a state. `tone` is "positive", "negative", "warning",
// "accent" or "neutral".
Rectangle {
    id: pill

    property string text
    property string tone: "neutral"
    property bool dot: true

    readonly property color toneColour: tone === "positive" ? Theme.connected
                                      : tone === "negative" ? Theme.disconnected
                                      : tone === "warning" ? Theme.warning
                                      : tone === "accent" ? Theme.accent
                                      : Theme.textSecondary
    readonly property color toneText: tone === "positive" ? Theme.connectedText
                                    : tone === "negative" ? Theme.disconnectedText
                                    : tone === "warning" ? Theme.warningText
                                    : tone === "accent" ? Theme.accent
                                    : Theme.textSecondary

    visible: text !== ""
    implicitWidth: row.implicitWidth + 14
    implicitHeight: 20
    radius: height / 2
    color: Qt.rgba(toneColour.r, toneColour.g, toneColour.b, Theme.dark ? 0.18 : 0.13)
    border.width: 1
    border.color: Qt.rgba(toneColour.r, toneColour.g, toneColour.b, Theme.dark ? 0.28 : 0.22)

    Accessible.role: Accessible.StaticText
    Accessible.name: text

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 5
        Rectangle {
            visible: pill.dot
            anchors.verticalCenter: parent.verticalCenter
            width: 6
            height: 6
            radius: 3
            color: pill.toneColour
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: pill.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.captionSize
            font.weight: Font.DemiBold
            color: pill.toneText
        }
    }
}
