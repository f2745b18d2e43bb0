import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import QtQuick.Window

// The settings window: a sidebar of sections and the selected section's form. The shell
// creates and shows it.
Window {
    id: settings

    objectName: "settings"
    title: "Settings"
    width: 760
    height: 560
    minimumWidth: 700
    minimumHeight: 520
    visible: false
    color: Theme.windowBottom

    property int section: 0
    readonly property var sections: [
        { "title": "Devices", "icon": "iphone.gen3" },
        { "title": "Features", "icon": "slider.horizontal.3" },
        { "title": "About", "icon": "info.circle" },
        { "title": "Advanced", "icon": "wrench.and.screwdriver" }
    ]
    // The popover's version line is "v" and the version; the sidebar names the program.
    readonly property string version: orvane.versionText.replace(/^v/, "")

    Backdrop { anchors.fill: parent }

    GlassPanel {
        id: sidebar
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.margins: Theme.space3
        width: 208

        ColumnLayout {
            anchors.fill: parent
            anchors.margins: Theme.space2
            anchors.topMargin: Theme.space4
            spacing: 2

            Repeater {
                model: settings.sections
                T.AbstractButton {
                    id: entry
                    required property var modelData
                    required property int index
                    readonly property bool selected: index === settings.section

                    Layout.fillWidth: true
                    implicitHeight: 32
                    hoverEnabled: true
                    focusPolicy: Qt.TabFocus
                    text: modelData.title

                    Accessible.role: Accessible.PageTab
                    Accessible.name: text
                    Accessible.selected: selected

                    onClicked: settings.section = index

                    background: Rectangle {
                        radius: Theme.radiusMedium
                        color: entry.selected ? Theme.accentSoft : entry.pressed ? Theme.pressed : entry.hovered ? Theme.hover : "transparent"
                        border.width: entry.visualFocus ? 2 : 0
                        border.color: Theme.accent
                        Behavior on color { ColorAnimation { duration: Theme.fast } }
                    }
                    contentItem: RowLayout {
                        spacing: 10
                        Item { Layout.preferredWidth: 2 }
                        Symbol {
                            name: entry.modelData.icon
                            tint: entry.selected ? "accent" : "ink"
                            size: 16
                        }
                        Text {
                            Layout.fillWidth: true
                            text: entry.text
                            elide: Text.ElideRight
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.bodySize
                            font.weight: entry.selected ? Font.DemiBold : Font.Normal
                            color: entry.selected ? Theme.accent : Theme.text
                        }
                    }
                }
            }

            Item { Layout.fillHeight: true }

            Text {
                Layout.fillWidth: true
                Layout.leftMargin: Theme.space2
                Layout.bottomMargin: Theme.space2
                text: settings.version !== "" ? "Orvane " + settings.version : "Orvane "
                elide: Text.ElideRight
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize
                color: Theme.textTertiary
            }
        }
    }

    GlassPanel {
        anchors.left: sidebar.right
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.margins: Theme.space3

        Text {
            id: heading
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.margins: Theme.space6
            text: settings.sections[settings.section].title
            elide: Text.ElideRight
            font.family: Theme.fontFamily
            font.pixelSize: Theme.title2Size
            font.weight: Font.Bold
            color: Theme.text
        }

        ColumnLayout {
            anchors.centerIn: parent
            width: Math.min(parent.width - 2 * Theme.space6, 340)
            spacing: Theme.space3
            Rectangle {
                Layout.alignment: Qt.AlignHCenter
                Layout.preferredWidth: 56
                Layout.preferredHeight: 56
                radius: 28
                color: Theme.inset
                border.width: 1
                border.color: Theme.hairline
                Symbol {
                    anchors.centerIn: parent
                    name: settings.sections[settings.section].icon
                    tint: "muted"
                    size: 26
                }
            }
            Text {
                Layout.fillWidth: true
                text: "Settings sections arrive in the next update."
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                font.family: Theme.fontFamily
                font.pixelSize: Theme.calloutSize
                color: Theme.textSecondary
            }
        }
    }
}
