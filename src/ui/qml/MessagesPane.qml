import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import QtQuick.Controls.Basic as C

// Chats made from the phone's message notifications: the recent conversations, the
// selected one's thread, and a composer that replies through the phone.
ColumnLayout {
    id: pane

    readonly property bool hasConversations: chats.count > 0
    readonly property bool hasThread: hub.selectedConversation !== "" && hub.threadContact !== ""

    spacing: Theme.space4

    function send() {
        if (hub.replyInConversation(composer.text)) composer.clear()
    }

    PaneHeader {
        Layout.fillWidth: true
        title: "Messages"
        subtitle: "Recent chats from message notifications on your phone."
    }

    Rectangle {
        Layout.fillWidth: true
        visible: hub.archiveError !== ""
        implicitHeight: errorRow.implicitHeight + 2 * Theme.space2
        radius: Theme.radiusMedium
        color: Qt.rgba(Theme.warning.r, Theme.warning.g, Theme.warning.b, Theme.dark ? 0.16 : 0.12)
        border.width: 1
        border.color: Qt.rgba(Theme.warning.r, Theme.warning.g, Theme.warning.b, 0.3)
        RowLayout {
            id: errorRow
            anchors.fill: parent
            anchors.margins: Theme.space2
            anchors.leftMargin: Theme.space3
            spacing: Theme.space2
            Symbol {
                name: "exclamationmark.triangle"
                tint: "warning"
                size: 15
            }
            Text {
                Layout.fillWidth: true
                text: hub.archiveError
                wrapMode: Text.Wrap
                font.family: Theme.fontFamily
                font.pixelSize: Theme.footnoteSize
                color: Theme.warningText
            }
        }
    }

    RowLayout {
        Layout.fillWidth: true
        Layout.fillHeight: true
        visible: pane.hasConversations
        spacing: Theme.space3

        // The recent conversations.
        ColumnLayout {
            // A nested layout takes free width by default; the thread keeps it, also
            // while it only says "Choose a chat".
            Layout.fillWidth: false
            Layout.preferredWidth: Math.max(190, Math.min(280, pane.width * 0.36))
            Layout.fillHeight: true
            spacing: Theme.space1
            SectionLabel {
                Layout.leftMargin: Theme.space2
                text: "Recent"
            }
            ListView {
                id: chats
                objectName: "chatList"
                Layout.fillWidth: true
                Layout.fillHeight: true
                clip: true
                spacing: 2
                model: hub.conversations
                boundsBehavior: Flickable.StopAtBounds
                Accessible.role: Accessible.List
                Accessible.name: "Recent chats"

                delegate: T.AbstractButton {
                    id: chat
                    required property string key
                    required property string contact
                    required property string app
                    required property string lastMessage
                    required property string time
                    readonly property bool selected: hub.selectedConversation === key
                    width: ListView.view.width
                    implicitHeight: 58
                    hoverEnabled: true
                    focusPolicy: Qt.TabFocus
                    Accessible.role: Accessible.ListItem
                    Accessible.name: contact + ", " + app + ": " + lastMessage
                    Accessible.selected: selected
                    onClicked: hub.selectConversation(key)

                    TapHandler {
                        acceptedButtons: Qt.RightButton
                        onTapped: chatMenu.popup()
                    }
                    Keys.onMenuPressed: chatMenu.popup()
                    C.Menu {
                        id: chatMenu
                        C.MenuItem {
                            text: "Copy Contact"
                            onTriggered: hub.copyText(chat.contact)
                        }
                        C.MenuItem {
                            text: "Copy Last Message"
                            onTriggered: hub.copyText(chat.lastMessage)
                        }
                    }

                    background: Rectangle {
                        radius: Theme.radiusMedium
                        color: chat.selected ? Theme.accentSoft : chat.pressed ? Theme.pressed : chat.hovered ? Theme.hover : "transparent"
                        border.width: chat.visualFocus ? 2 : 0
                        border.color: Theme.accent
                    }
                    contentItem: ColumnLayout {
                        spacing: 2
                        Item { Layout.fillHeight: true }
                        RowLayout {
                            Layout.fillWidth: true
                            Layout.leftMargin: Theme.space3
                            Layout.rightMargin: Theme.space3
                            Text {
                                Layout.fillWidth: true
                                text: chat.contact
                                elide: Text.ElideRight
                                font.family: Theme.fontFamily
                                font.pixelSize: Theme.bodySize
                                font.weight: Font.DemiBold
                                color: chat.selected ? Theme.accent : Theme.text
                            }
                            Text {
                                text: chat.time
                                font.family: Theme.fontFamily
                                font.pixelSize: Theme.captionSize
                                color: Theme.textTertiary
                            }
                        }
                        Text {
                            Layout.fillWidth: true
                            Layout.leftMargin: Theme.space3
                            Layout.rightMargin: Theme.space3
                            text: chat.app + " · " + chat.lastMessage
                            elide: Text.ElideRight
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.footnoteSize
                            color: Theme.textSecondary
                        }
                        Item { Layout.fillHeight: true }
                    }
                }
            }
        }

        Rectangle {
            Layout.preferredWidth: 1
            Layout.fillHeight: true
            color: Theme.hairline
        }

        // The selected conversation.
        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: Theme.space2

            ColumnLayout {
                visible: pane.hasThread
                spacing: 0
                Text {
                    text: hub.threadContact
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.headlineSize
                    font.weight: Font.DemiBold
                    color: Theme.text
                    Accessible.role: Accessible.Heading
                    Accessible.name: text
                }
                Text {
                    text: hub.threadApp
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.footnoteSize
                    color: Theme.textSecondary
                }
            }

            ListView {
                id: bubbles
                objectName: "chatThread"
                Layout.fillWidth: true
                Layout.fillHeight: true
                visible: pane.hasThread
                clip: true
                spacing: Theme.space2
                model: hub.thread
                boundsBehavior: Flickable.StopAtBounds
                Accessible.role: Accessible.List
                Accessible.name: "Messages with " + hub.threadContact
                // The newest line stays in view as lines arrive.
                onCountChanged: Qt.callLater(positionViewAtEnd)

                delegate: Item {
                    id: line
                    required property string key
                    required property string text
                    required property bool outgoing
                    required property string time
                    required property string mark
                    required property string markText
                    width: ListView.view.width
                    implicitHeight: bubble.height + (status.visible ? status.implicitHeight + 3 : 0)
                    Accessible.role: Accessible.ListItem
                    Accessible.name: (outgoing ? "You: " : "") + text + (markText !== "" ? ". " + markText : "")

                    TapHandler {
                        acceptedButtons: Qt.RightButton
                        onTapped: lineMenu.popup()
                    }
                    C.Menu {
                        id: lineMenu
                        C.MenuItem {
                            text: "Copy Message"
                            onTriggered: hub.copyText(line.text)
                        }
                    }

                    Rectangle {
                        id: bubble
                        anchors.right: line.outgoing ? parent.right : undefined
                        anchors.left: line.outgoing ? undefined : parent.left
                        width: Math.min(label.implicitWidth + 24, line.width * 0.8)
                        height: label.implicitHeight + 14
                        radius: 14
                        color: line.outgoing ? (line.mark === "failed" ? Qt.rgba(Theme.disconnected.r, Theme.disconnected.g, Theme.disconnected.b, 0.85) : Theme.accentFill)
                                             : (Theme.dark ? Qt.rgba(1, 1, 1, 0.08) : Qt.rgba(0.1, 0.1, 0.2, 0.06))
                        Text {
                            id: label
                            anchors.fill: parent
                            anchors.leftMargin: 12
                            anchors.rightMargin: 12
                            anchors.topMargin: 7
                            anchors.bottomMargin: 7
                            text: line.text
                            wrapMode: Text.Wrap
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.bodySize
                            color: line.outgoing ? Theme.textOnAccent : Theme.text
                        }
                    }
                    RowLayout {
                        id: status
                        visible: line.outgoing
                        anchors.top: bubble.bottom
                        anchors.topMargin: 3
                        anchors.right: parent.right
                        spacing: 4
                        Symbol {
                            name: line.mark === "sending" ? "clock" : line.mark === "sent" ? "checkmark" : "exclamationmark.circle"
                            tint: line.mark === "failed" ? "negative" : "muted"
                            size: 11
                        }
                        Text {
                            Layout.maximumWidth: line.width * 0.6
                            text: line.markText !== "" ? line.markText : line.time
                            elide: Text.ElideRight
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.captionSize
                            color: line.mark === "failed" ? Theme.disconnectedText : Theme.textTertiary
                        }
                        LinkButton {
                            visible: line.mark === "failed" && hub.threadCanReply
                            text: "Retry"
                            pixelSize: Theme.captionSize
                            onClicked: hub.retryChatLine(line.key)
                        }
                    }
                }
            }

            Item {
                Layout.fillWidth: true
                Layout.fillHeight: true
                visible: !pane.hasThread
                EmptyState {
                    anchors.centerIn: parent
                    width: Math.min(parent.width - Theme.space6, 300)
                    icon: "bubble.left.and.bubble.right"
                    iconSize: 22
                    title: hub.messagesEmptyTitle
                    detail: hub.messagesEmptyDetail
                }
            }

            RowLayout {
                Layout.fillWidth: true
                visible: pane.hasThread
                spacing: Theme.space2
                InputField {
                    id: composer
                    objectName: "chatComposer"
                    Layout.fillWidth: true
                    enabled: hub.threadCanReply
                    placeholderText: hub.threadCanReply ? "Reply to " + hub.threadContact + "…"
                                                        : "This notification has no reply action"
                    accessibleName: hub.threadCanReply ? "Reply to " + hub.threadContact
                                                       : "This notification has no reply action"
                    onAccepted: pane.send()
                }
                IconButton {
                    objectName: "chatSend"
                    width: 32
                    height: 32
                    prominent: true
                    symbol: "arrow.up"
                    label: "Send reply"
                    enabled: hub.threadCanReply && composer.text.trim() !== ""
                    onClicked: pane.send()
                }
            }
        }
    }

    Item {
        Layout.fillWidth: true
        Layout.fillHeight: true
        visible: !pane.hasConversations
        EmptyState {
            anchors.centerIn: parent
            width: Math.min(parent.width - 2 * Theme.space6, 360)
            icon: "bubble.left.and.bubble.right"
            title: hub.messagesEmptyTitle
            detail: hub.messagesEmptyDetail
        }
    }
}
