import QtQuick
import QtQuick.Controls.Basic as C

// A one-line text field in the house style: a soft well that takes the accent colour
// while it has the keyboard. Its placeholder names it for assistive technology unless
// `accessibleName` says otherwise.
C.TextField {
    id: field

    property string accessibleName

    implicitHeight: 32
    leftPadding: 12
    rightPadding: 12
    placeholderTextColor: Theme.textTertiary
    color: Theme.text
    selectionColor: Theme.accentSoft
    selectedTextColor: Theme.text
    font.family: Theme.fontFamily
    font.pixelSize: Theme.bodySize
    selectByMouse: true

    Accessible.name: accessibleName !== "" ? accessibleName : placeholderText

    background: Rectangle {
        radius: Theme.radiusMedium
        color: Theme.field
        border.width: field.activeFocus ? 2 : 1
        border.color: field.activeFocus ? Theme.accent : Theme.hairlineStrong
        Behavior on border.color { ColorAnimation { duration: Theme.fast } }
    }
}
