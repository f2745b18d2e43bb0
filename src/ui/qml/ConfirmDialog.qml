import QtQuick
import QtQuick.Layouts

// A question asked inside the window before something that cannot be taken back. It
// is open while `title` is set; the destructive button is red, "Cancel" has the
// keyboard first, and Escape cancels.
Item {
    id: dialog

    property string title
    property string message
    property string confirmText
    property string cancelText: "Cancel"
    readonly property bool open: title !== ""
    signal confirmed()
    signal cancelled()

    opacity: open ? 1 : 0
    visible: opacity > 0
    // While it fades out it takes no more clicks.
    enabled: open
    Behavior on opacity { NumberAnimation { duration: Theme.fast } }
    onOpenChanged: if (open) cancelButton.forceActiveFocus()

    Rectangle {
        anchors.fill: parent
        color: Theme.scrim
        MouseArea { anchors.fill: parent }
    }

    GlassPanel {
        id: card
        anchors.centerIn: parent
        width: 380
        height: content.implicitHeight + 2 * Theme.space6
        strong: true
        raised: true
        radius: Theme.radiusXLarge
        scale: dialog.open || Theme.reduceMotion ? 1 : 0.96
        Behavior on scale { NumberAnimation { duration: Theme.normal; easing.type: Easing.OutCubic } }

        Accessible.role: Accessible.Dialog
        Accessible.name: dialog.title

        Keys.onEscapePressed: dialog.cancelled()

        ColumnLayout {
            id: content
            anchors.fill: parent
            anchors.margins: Theme.space6
            spacing: Theme.space2
            Text {
                Layout.fillWidth: true
                text: dialog.title
                wrapMode: Text.WordWrap
                font.family: Theme.fontFamily
                font.pixelSize: Theme.title3Size
                font.weight: Font.DemiBold
                color: Theme.text
            }
            Text {
                Layout.fillWidth: true
                text: dialog.message
                wrapMode: Text.WordWrap
                lineHeight: 1.15
                font.family: Theme.fontFamily
                font.pixelSize: Theme.bodySize
                color: Theme.textSecondary
            }
            RowLayout {
                Layout.fillWidth: true
                Layout.topMargin: Theme.space4
                spacing: Theme.space2
                Item { Layout.fillWidth: true }
                PillButton {
                    id: cancelButton
                    objectName: "confirmCancel"
                    text: dialog.cancelText
                    Keys.onEscapePressed: dialog.cancelled()
                    Keys.onReturnPressed: dialog.cancelled()
                    onClicked: dialog.cancelled()
                }
                PillButton {
                    objectName: "confirmDestructive"
                    text: dialog.confirmText
                    destructive: true
                    Keys.onEscapePressed: dialog.cancelled()
                    Keys.onReturnPressed: dialog.confirmed()
                    onClicked: dialog.confirmed()
                }
            }
        }
    }
}
