import QtQuick
import QtQuick.Layouts

// The centre pane: the selected work area while the phone is connected, otherwise what
// to do about the link. The tab stays selected while the link is down.
GlassPanel {
    id: centre

    readonly property bool connected: orvane.connected

    StackLayout {
        id: panes
        anchors.fill: parent
        anchors.margins: Theme.space6
        visible: centre.connected
        currentIndex: orvane.selectedTab
        // A new work area fades in.
        onCurrentIndexChanged: if (!Theme.reduceMotion) fadeIn.restart()

        MessagesPane {}
        NowPlayingPane {}
        ClipboardPane {}
        LinksPane {}

        NumberAnimation {
            id: fadeIn
            target: panes
            property: "opacity"
            from: 0.35
            to: 1
            duration: Theme.normal
            easing.type: Easing.OutCubic
        }
    }

    EmptyState {
        objectName: "disconnectedPane"
        visible: !centre.connected
        anchors.centerIn: parent
        width: Math.min(parent.width - 2 * Theme.space8, 380)
        icon: "laptopcomputer.and.iphone"
        iconSize: 30
        title: hub.disconnectedTitle
        detail: hub.disconnectedDetail
        buttonText: hub.disconnectedButton
        onButtonClicked: hub.pressDisconnectedButton()
    }
}
