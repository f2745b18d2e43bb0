import QtQuick

// An indeterminate progress indicator: a ring of dots that turns. With less motion the
// ring stays still and breathes instead.
Item {
    id: spinner

    property real size: 22
    property bool running: visible

    implicitWidth: size
    implicitHeight: size

    Accessible.role: Accessible.Indicator
    Accessible.name: "Busy"

    Item {
        id: ring
        anchors.fill: parent
        Repeater {
            model: 8
            Rectangle {
                required property int index
                readonly property real angle: index * Math.PI / 4
                width: spinner.size * 0.18
                height: width
                radius: width / 2
                x: spinner.size / 2 + Math.sin(angle) * (spinner.size / 2 - width / 2) - width / 2
                y: spinner.size / 2 - Math.cos(angle) * (spinner.size / 2 - width / 2) - height / 2
                color: Theme.textSecondary
                opacity: 0.2 + 0.8 * (index / 7)
            }
        }
        RotationAnimator on rotation {
            from: 0
            to: 360
            duration: 1000
            loops: Animation.Infinite
            running: spinner.running && !Theme.reduceMotion
        }
        SequentialAnimation on opacity {
            running: spinner.running && Theme.reduceMotion
            loops: Animation.Infinite
            NumberAnimation { to: 0.4; duration: 900 }
            NumberAnimation { to: 1; duration: 900 }
        }
    }
}
