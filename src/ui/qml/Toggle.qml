import QtQuick
import QtQuick.Templates as T

// An on/off switch: a rounded track that fills with the accent colour when on.
T.Switch {
    id: toggle

    implicitWidth: 36
    implicitHeight: 20
    hoverEnabled: true
    focusPolicy: Qt.TabFocus
    padding: 0

    Accessible.role: Accessible.CheckBox
    Accessible.name: text

    indicator: Rectangle {
        width: toggle.width
        height: toggle.height
        radius: height / 2
        color: toggle.checked ? (toggle.hovered ? Theme.accentFillHover : Theme.accentFill)
                              : (Theme.dark ? Qt.rgba(1, 1, 1, toggle.hovered ? 0.2 : 0.15)
                                            : Qt.rgba(0.1, 0.1, 0.25, toggle.hovered ? 0.2 : 0.15))
        border.width: toggle.visualFocus ? 2 : 0
        border.color: Theme.text
        opacity: toggle.enabled ? 1 : 0.45
        Behavior on color { ColorAnimation { duration: Theme.fast } }

        Rectangle {
            width: parent.height - 4
            height: width
            radius: width / 2
            y: 2
            x: toggle.checked ? parent.width - width - 2 : 2
            color: "#ffffff"
            border.width: 1
            border.color: Qt.rgba(0, 0, 0, 0.06)
            Behavior on x { NumberAnimation { duration: Theme.fast; easing.type: Easing.OutCubic } }
        }
    }

    contentItem: Item {}
}
