import QtQuick

// A small dot that pulses each time `pulse` changes (traffic on the link). With less
// motion it only dims and brightens, without the spreading ring.
Item {
    id: activity

    property bool live: false
    property int pulse: 0

    readonly property color colour: live ? Theme.connected : Theme.textTertiary

    implicitWidth: 10
    implicitHeight: 10

    Accessible.ignored: true

    onPulseChanged: {
        if (Theme.reduceMotion) {
            blink.restart()
        } else {
            ripple.restart()
            blink.restart()
        }
    }

    Rectangle {
        id: ring
        anchors.centerIn: parent
        width: 8
        height: 8
        radius: 4
        color: activity.colour
        opacity: 0
    }
    Rectangle {
        id: dot
        anchors.centerIn: parent
        width: 8
        height: 8
        radius: 4
        color: activity.colour
    }

    ParallelAnimation {
        id: ripple
        NumberAnimation { target: ring; property: "scale"; from: 1; to: 2.6; duration: 700; easing.type: Easing.OutCubic }
        NumberAnimation { target: ring; property: "opacity"; from: 0.55; to: 0; duration: 700; easing.type: Easing.OutCubic }
    }
    SequentialAnimation {
        id: blink
        NumberAnimation { target: dot; property: "opacity"; to: 0.35; duration: 110 }
        NumberAnimation { target: dot; property: "opacity"; to: 1; duration: 320 }
    }
}
