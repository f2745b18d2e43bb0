import QtQuick
import QtQuick.Layouts

// The right column: the phone's notifications, newest first, each a card. Folded, it is
// a narrow strip with one button to open it again; the fold is kept across launches.
GlassPanel {
    id: column

    readonly property bool collapsed: hub.notificationsCollapsed

    implicitWidth: collapsed ? 44 : 300
    Behavior on implicitWidth { NumberAnimation { duration: Theme.normal; easing.type: Easing.OutCubic } }
    clip: true

    IconButton {
        objectName: "showNotifications"
        visible: column.collapsed
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: parent.top
        anchors.topMargin: Theme.space3
        width: 30
        height: 30
        symbol: "chevron.left"
        label: "Show notifications"
        onClicked: hub.toggleNotifications()
    }
    Symbol {
        visible: column.collapsed && list.count > 0
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: parent.top
        anchors.topMargin: 56
        name: "bell"
        tint: "muted"
        size: 16
    }

    RowLayout {
        id: heading
        visible: !column.collapsed
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.leftMargin: Theme.space4 + 2
        anchors.rightMargin: Theme.space2
        anchors.topMargin: Theme.space3
        height: 30
        SectionLabel {
            Layout.fillWidth: true
            text: "NOTIFICATIONS"
        }
        IconButton {
            objectName: "hideNotifications"
            width: 30
            height: 30
            symbol: "chevron.right"
            label: "Hide notifications"
            onClicked: hub.toggleNotifications()
        }
    }

    ListView {
        id: list
        objectName: "notificationList"
        visible: !column.collapsed
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: heading.bottom
        anchors.bottom: parent.bottom
        anchors.topMargin: Theme.space1
        leftMargin: Theme.space3
        rightMargin: Theme.space3
        bottomMargin: Theme.space3
        spacing: Theme.space2
        clip: true
        model: hub.notifications
        boundsBehavior: Flickable.StopAtBounds
        Accessible.role: Accessible.List
        Accessible.name: "Notifications"

        delegate: NotificationCard {
            width: ListView.view.width - ListView.view.leftMargin - ListView.view.rightMargin
        }

        displaced: Transition {
            enabled: !Theme.reduceMotion
            NumberAnimation { property: "y"; duration: Theme.normal; easing.type: Easing.OutCubic }
        }
    }

    EmptyState {
        visible: !column.collapsed && list.count === 0
        anchors.centerIn: parent
        width: parent.width - 2 * Theme.space6
        icon: "bell"
        iconSize: 22
        title: "No notifications"
        detail: hub.notificationsEmptyDetail
    }
}
