import QtQuick
import QtQuick.Layouts

// What the hub shows until the terms are accepted: what the program does with the
// user's data, the two documents, and the agreement that starts the pairing server.
Item {
    id: gate

    implicitWidth: 1180
    implicitHeight: 720

    Backdrop { anchors.fill: parent }

    Flickable {
        anchors.fill: parent
        contentWidth: width
        contentHeight: Math.max(height, card.implicitHeight + 2 * Theme.space8)
        boundsBehavior: Flickable.StopAtBounds
        clip: true

        GlassPanel {
            id: card
            width: Math.min(560, gate.width - 2 * Theme.space6)
            height: implicitHeight
            implicitHeight: column.implicitHeight + 2 * 36
            x: Math.round((gate.width - width) / 2)
            y: Math.max(Theme.space8, Math.round((parent.height - height) / 2))
            raised: true

            ColumnLayout {
                id: column
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.margins: 36
                spacing: 0

                RowLayout {
                    spacing: 10
                    AppMark { size: 34 }
                    Text {
                        text: "Orvane"
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.title3Size
                        font.weight: Font.DemiBold
                        color: Theme.text
                    }
                }

                Text {
                    Layout.fillWidth: true
                    Layout.topMargin: Theme.space6
                    visible: text !== ""
                    text: orvane.legalHeading
                    wrapMode: Text.WordWrap
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.title1Size
                    font.weight: Font.Bold
                    color: Theme.text
                }
                Text {
                    Layout.fillWidth: true
                    Layout.topMargin: Theme.space2
                    visible: text !== ""
                    text: orvane.legalIntro
                    wrapMode: Text.WordWrap
                    lineHeight: 1.2
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.calloutSize
                    color: Theme.textSecondary
                }

                Rectangle {
                    Layout.fillWidth: true
                    Layout.topMargin: Theme.space5
                    visible: points.count > 0
                    implicitHeight: pointList.implicitHeight + 2 * Theme.space4
                    radius: Theme.radiusMedium + 2
                    color: Theme.inset
                    border.width: 1
                    border.color: Theme.hairline

                    ColumnLayout {
                        id: pointList
                        anchors.left: parent.left
                        anchors.right: parent.right
                        anchors.top: parent.top
                        anchors.margins: Theme.space4
                        spacing: Theme.space3
                        Repeater {
                            id: points
                            model: orvane.legalPoints
                            // Laid out by hand: a wrapping text needs its width before
                            // its height is known.
                            Item {
                                required property var modelData
                                Layout.fillWidth: true
                                implicitHeight: Math.max(bullet.height, point.implicitHeight)
                                Symbol {
                                    id: bullet
                                    y: 1
                                    name: "checkmark.circle"
                                    tint: "accent"
                                    size: 17
                                }
                                Text {
                                    id: point
                                    x: bullet.width + 10
                                    width: parent.width - x
                                    text: parent.modelData
                                    wrapMode: Text.WordWrap
                                    lineHeight: 1.15
                                    font.family: Theme.fontFamily
                                    font.pixelSize: Theme.bodySize
                                    color: Theme.text
                                }
                            }
                        }
                    }
                }

                Row {
                    Layout.topMargin: Theme.space4
                    spacing: Theme.space3
                    LinkButton {
                        text: "Privacy Policy"
                        pixelSize: Theme.bodySize
                        onClicked: orvane.openPrivacy()
                    }
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: "·"
                        font.pixelSize: Theme.bodySize
                        color: Theme.textTertiary
                    }
                    LinkButton {
                        text: "Terms of Service"
                        pixelSize: Theme.bodySize
                        onClicked: orvane.openTerms()
                    }
                }

                Hairline {
                    Layout.fillWidth: true
                    Layout.topMargin: Theme.space5
                    Layout.bottomMargin: Theme.space5
                }

                TickBox {
                    id: agree
                    objectName: "legalAgree"
                    Layout.fillWidth: true
                    text: orvane.legalAgreement
                }

                Text {
                    Layout.fillWidth: true
                    Layout.topMargin: Theme.space3
                    Layout.leftMargin: 28
                    visible: text !== ""
                    text: orvane.legalVersionLine
                    wrapMode: Text.WordWrap
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.footnoteSize
                    color: Theme.textSecondary
                }

                PillButton {
                    Layout.fillWidth: true
                    Layout.topMargin: Theme.space6
                    implicitHeight: 38
                    prominent: true
                    objectName: "legalContinue"
                    enabled: agree.checked
                    text: "Agree and continue"
                    onClicked: orvane.acceptTerms()
                }
            }
        }
    }
}
