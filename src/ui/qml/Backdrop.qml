import QtQuick
import QtQuick.Shapes

// The window's ground: a quiet vertical gradient with two soft glows of the brand's
// colours, over which the glass panels sit.
Rectangle {
    id: backdrop

    gradient: Gradient {
        GradientStop { position: 0.0; color: Theme.windowTop }
        GradientStop { position: 1.0; color: Theme.windowBottom }
    }
    clip: true

    Shape {
        anchors.fill: parent
        ShapePath {
            strokeWidth: -1
            fillGradient: RadialGradient {
                centerX: backdrop.width * 0.12
                centerY: backdrop.height * 0.05
                centerRadius: Math.max(backdrop.width, backdrop.height) * 0.55
                focalX: centerX
                focalY: centerY
                GradientStop { position: 0.0; color: Qt.rgba(0.43, 0.45, 0.94, Theme.dark ? 0.16 : 0.13) }
                GradientStop { position: 1.0; color: Qt.rgba(0.43, 0.45, 0.94, 0) }
            }
            startX: 0; startY: 0
            PathLine { x: backdrop.width; y: 0 }
            PathLine { x: backdrop.width; y: backdrop.height }
            PathLine { x: 0; y: backdrop.height }
            PathLine { x: 0; y: 0 }
        }
        ShapePath {
            strokeWidth: -1
            fillGradient: RadialGradient {
                centerX: backdrop.width * 0.92
                centerY: backdrop.height * 1.0
                centerRadius: Math.max(backdrop.width, backdrop.height) * 0.5
                focalX: centerX
                focalY: centerY
                GradientStop { position: 0.0; color: Qt.rgba(0.18, 0.72, 0.64, Theme.dark ? 0.12 : 0.11) }
                GradientStop { position: 1.0; color: Qt.rgba(0.18, 0.72, 0.64, 0) }
            }
            startX: 0; startY: 0
            PathLine { x: backdrop.width; y: 0 }
            PathLine { x: backdrop.width; y: backdrop.height }
            PathLine { x: 0; y: backdrop.height }
            PathLine { x: 0; y: 0 }
        }
    }
}
