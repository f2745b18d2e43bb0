import QtQuick

// A translucent panel with rounded corners, a hairline border and a faint sheen along
// its top edge. `strong` is nearly opaque, for cards over a dimmed window; `raised`
// gives the border more weight, for a panel that floats over others.
Rectangle {
    id: panel

    property bool strong: false
    property bool raised: false

    radius: Theme.radiusLarge
    color: strong ? Theme.glassStrong : Theme.glass
    border.width: 1
    border.color: raised ? Theme.hairlineStrong : Theme.hairline

    Rectangle {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 1
        height: Math.min(parent.height / 2, 32)
        radius: Math.max(0, panel.radius - 1)
        gradient: Gradient {
            GradientStop { position: 0.0; color: Theme.glassSheen }
            GradientStop { position: 1.0; color: "transparent" }
        }
    }
}
