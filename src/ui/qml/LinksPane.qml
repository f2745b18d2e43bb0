import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import QtQuick.Controls.Basic as C

// Links sent to the phone and received from it, under a composer that sends one.
ColumnLayout {
    id: pane

    spacing: Theme.space4

    function send() {
        if (hub.sendLink(field.text)) field.clear()
    }

    PaneHeader {
        Layout.fillWidth: true
        title: "Links"
        subtitle: "Send a link to the phone without switching apps."
    }

    Rectangle {
        Layout.fillWidth: true
        implicitHeight: 52
        radius: Theme.radiusLarge
        color: Theme.inset
        border.width: 1
        border.color: Theme.hairline
        RowLayout {
            anchors.fill: parent
            anchors.leftMargin: Theme.space4
            anchors.rightMargin: Theme.space2 + 2
            spacing: Theme.space3
            Symbol {
                name: "link"
                tint: "muted"
                size: 17
            }
            InputField {
                id: field
                objectName: "linkField"
                Layout.fillWidth: true
                placeholderText: "Paste a link…"
                accessibleName: "Link to send"
                onAccepted: pane.send()
            }
            PillButton {
                objectName: "linkSend"
                text: "Send"
                prominent: true
                enabled: hub.canSendLink(field.text)
                onClicked: pane.send()
            }
        }
    }

    ListView {
        id: list
        objectName: "linkList"
        Layout.fillWidth: true
        Layout.fillHeight: true
        visible: count > 0
        clip: true
        spacing: 2
        model: hub.links
        boundsBehavior: Flickable.StopAtBounds
        Accessible.role: Accessible.List
        Accessible.name: "Links"

        delegate: T.AbstractButton {
            id: row
            required property string key
            required property string url
            required property bool outgoing
            required property string delivery
            required property string stateText
            width: ListView.view.width
            implicitHeight: 44
            hoverEnabled: true
            focusPolicy: Qt.TabFocus
            Accessible.role: Accessible.Link
            Accessible.name: (outgoing ? "Sent: " : "Received: ") + url + (stateText !== "" ? ", " + stateText : "")
            onClicked: hub.openLink(url)

            TapHandler {
                acceptedButtons: Qt.RightButton
                onTapped: menu.popup()
            }
            Keys.onMenuPressed: menu.popup()
            C.Menu {
                id: menu
                C.MenuItem {
                    text: "Copy Link"
                    onTriggered: hub.copyText(row.url)
                }
            }

            background: Rectangle {
                radius: Theme.radiusMedium
                color: row.pressed ? Theme.pressed : row.hovered ? Theme.hover : "transparent"
                border.width: row.visualFocus ? 2 : 0
                border.color: Theme.accent
            }
            contentItem: RowLayout {
                spacing: Theme.space3
                Item { Layout.preferredWidth: 2 }
                Rectangle {
                    Layout.preferredWidth: 26
                    Layout.preferredHeight: 26
                    radius: 13
                    color: row.outgoing ? Theme.accentSoft : Theme.inset
                    Symbol {
                        anchors.centerIn: parent
                        name: row.outgoing ? "arrow.up.right" : "arrow.down.left"
                        tint: row.outgoing ? "accent" : "muted"
                        size: 13
                    }
                }
                Text {
                    Layout.fillWidth: true
                    text: row.url
                    elide: Text.ElideMiddle
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.bodySize
                    color: Theme.text
                }
                Symbol {
                    visible: row.delivery === "waiting"
                    name: "clock"
                    tint: "muted"
                    size: 13
                }
                StatusPill {
                    visible: row.delivery === "delivered" || row.delivery === "notDelivered"
                    text: row.delivery === "waiting" ? "" : row.stateText
                    tone: row.delivery === "delivered" ? "positive" : "negative"
                    dot: false
                }
                Item { Layout.preferredWidth: 4 }
            }
        }
    }

    Item {
        Layout.fillWidth: true
        Layout.fillHeight: true
        visible: list.count === 0
        EmptyState {
            anchors.centerIn: parent
            width: Math.min(parent.width - 2 * Theme.space6, 380)
            icon: "link"
            title: "No links"
            detail: "Send a link above, or share one from any Mac app with Flingshare."
        }
    }
}
