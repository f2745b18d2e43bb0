import QtQuick
import QtQuick.Layouts

// One of the phone's notifications: its app, title, text and age, a button to dismiss
// it on the phone and, when the phone allows it, a field to reply. A reply that failed
// says why and offers to send it again.
Rectangle {
    id: card

    required property string key
    required property string app
    required property string title
    required property string body
    required property string age
    required property bool canReply
    required property bool replyFailed
    required property string replyFailure
    required property bool canRetry

    implicitHeight: content.implicitHeight + 2 * Theme.space3
    radius: Theme.radiusMedium + 3
    color: hover.hovered ? Theme.glassStrong : (Theme.dark ? Qt.rgba(1, 1, 1, 0.045) : Qt.rgba(1, 1, 1, 0.82))
    border.width: 1
    border.color: Theme.hairline
    Behavior on color { ColorAnimation { duration: Theme.fast } }

    Accessible.role: Accessible.ListItem
    Accessible.name: app + ": " + title + ". " + body

    HoverHandler { id: hover }

    ColumnLayout {
        id: content
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: Theme.space3
        spacing: 3

        RowLayout {
            Layout.fillWidth: true
            spacing: 6
            Text {
                Layout.fillWidth: true
                text: card.app.toUpperCase()
                elide: Text.ElideRight
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize - 1
                font.weight: Font.DemiBold
                font.letterSpacing: 0.4
                color: Theme.textSecondary
            }
            Text {
                text: card.age
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize
                color: Theme.textTertiary
            }
            IconButton {
                objectName: "dismiss_" + card.key
                width: 20
                height: 20
                symbol: "xmark"
                label: "Dismiss notification"
                tint: "muted"
                symbolSize: 11
                onClicked: hub.dismissNotification(card.key)
            }
        }
        Text {
            Layout.fillWidth: true
            visible: text !== ""
            text: card.title
            elide: Text.ElideRight
            font.family: Theme.fontFamily
            font.pixelSize: Theme.bodySize
            font.weight: Font.DemiBold
            color: Theme.text
        }
        Text {
            Layout.fillWidth: true
            visible: text !== ""
            text: card.body
            wrapMode: Text.Wrap
            maximumLineCount: 4
            elide: Text.ElideRight
            lineHeight: 1.1
            font.family: Theme.fontFamily
            font.pixelSize: Theme.footnoteSize + 0.5
            color: Theme.textSecondary
        }
        RowLayout {
            Layout.fillWidth: true
            Layout.topMargin: 3
            visible: card.replyFailed
            spacing: 6
            Symbol {
                name: "exclamationmark.circle"
                tint: "negative"
                size: 13
            }
            Text {
                Layout.fillWidth: true
                text: card.replyFailure
                wrapMode: Text.Wrap
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize
                color: Theme.disconnectedText
            }
            PillButton {
                objectName: "retry_" + card.key
                visible: card.canRetry
                compact: true
                text: "Retry"
                onClicked: hub.retryNotificationReply(card.key)
            }
        }
        InputField {
            id: reply
            objectName: "reply_" + card.key
            Layout.fillWidth: true
            Layout.topMargin: 5
            visible: card.canReply
            implicitHeight: 28
            font.pixelSize: Theme.footnoteSize
            placeholderText: "Reply…"
            accessibleName: "Reply to " + (card.title !== "" ? card.title : card.app)
            onAccepted: if (hub.replyToNotification(card.key, text)) clear()
        }
    }
}
