import QtQuick

// The application's mark: the laptop-and-phone glyph on a rounded tile in the brand's
// two colours.
Rectangle {
    id: mark

    property real size: 32

    implicitWidth: size
    implicitHeight: size
    radius: Math.round(size * 0.26)
    gradient: Gradient {
        GradientStop { position: 0.0; color: "#6d72f0" }
        GradientStop { position: 1.0; color: "#2fb8a4" }
    }
    border.width: 1
    border.color: Qt.rgba(1, 1, 1, 0.22)

    Symbol {
        anchors.centerIn: parent
        name: "laptopcomputer.and.iphone"
        tint: "white"
        size: Math.round(mark.size * 0.62)
    }
}
