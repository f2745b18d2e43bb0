import QtQuick
import QtQuick.Layouts

// What a list or pane shows with nothing in it: a symbol in a soft circle, a title, a
// line of help and, when `buttonText` is set, one button.
ColumnLayout {
    id: empty

    property string icon
    property string title
    property string detail
    property string buttonText
    property bool buttonProminent: true
    property int iconSize: 26
    signal buttonClicked()

    spacing: Theme.space2

    Accessible.role: Accessible.StaticText
    Accessible.name: title + ". " + detail

    Rectangle {
        Layout.alignment: Qt.AlignHCenter
        Layout.bottomMargin: Theme.space1
        Layout.preferredWidth: empty.iconSize * 2.3
        Layout.preferredHeight: empty.iconSize * 2.3
        radius: width / 2
        color: Theme.inset
        border.width: 1
        border.color: Theme.hairline
        visible: empty.icon !== ""
        Symbol {
            anchors.centerIn: parent
            name: empty.icon
            tint: "muted"
            size: empty.iconSize
        }
    }
    Text {
        Layout.fillWidth: true
        text: empty.title
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.WordWrap
        font.family: Theme.fontFamily
        font.pixelSize: Theme.headlineSize
        font.weight: Font.DemiBold
        color: Theme.text
    }
    Text {
        Layout.fillWidth: true
        visible: text !== ""
        text: empty.detail
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.WordWrap
        lineHeight: 1.15
        font.family: Theme.fontFamily
        font.pixelSize: Theme.bodySize
        color: Theme.textSecondary
    }
    PillButton {
        Layout.alignment: Qt.AlignHCenter
        Layout.topMargin: Theme.space2
        visible: empty.buttonText !== ""
        text: empty.buttonText
        prominent: empty.buttonProminent
        onClicked: empty.buttonClicked()
    }
}
