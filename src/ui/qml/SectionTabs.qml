import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import QtQuick.Controls.Basic as C

// The four work areas as a segmented control in the header, for those who turned it on.
Rectangle {
    id: tabs

    implicitWidth: row.implicitWidth + 6
    implicitHeight: 34
    radius: Theme.radiusMedium + 1
    color: Theme.inset
    border.width: 1
    border.color: Theme.hairline

    Accessible.role: Accessible.PageTabList
    Accessible.name: "Switch section"
    C.ToolTip.visible: hover.hovered
    C.ToolTip.text: "Switch section"
    C.ToolTip.delay: 800
    HoverHandler { id: hover }

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 2
        Repeater {
            model: orvane.tabs
            T.AbstractButton {
                id: segment
                required property var modelData
                required property int index
                readonly property bool selected: index === orvane.selectedTab
                implicitWidth: label.implicitWidth + 18
                implicitHeight: 28
                hoverEnabled: true
                focusPolicy: Qt.TabFocus
                text: modelData.title
                Accessible.role: Accessible.PageTab
                Accessible.name: text
                Accessible.selected: selected
                onClicked: orvane.selectTab(index)
                background: Rectangle {
                    radius: Theme.radiusSmall + 1
                    color: segment.selected ? Theme.glassStrong : segment.hovered ? Theme.hover : "transparent"
                    border.width: segment.visualFocus ? 2 : (segment.selected ? 1 : 0)
                    border.color: segment.visualFocus ? Theme.accent : Theme.hairline
                }
                contentItem: Text {
                    id: label
                    text: segment.text
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.footnoteSize
                    font.weight: segment.selected ? Font.DemiBold : Font.Normal
                    color: segment.selected ? Theme.text : Theme.textSecondary
                }
            }
        }
    }
}
