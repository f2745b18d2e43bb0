import QtQuick
import QtQuick.Layouts

// The pairing card: the current code for the phone to scan, or, once a phone asks, the
// question whether to let it in. Return approves a waiting phone; Escape closes.
GlassPanel {
    id: sheet

    readonly property bool approval: orvane.pairingApprovalStep
    readonly property bool hasCode: orvane.qrImageSource !== ""

    implicitWidth: 460
    implicitHeight: column.implicitHeight
    radius: Theme.radiusXLarge
    strong: true
    raised: true
    focus: true

    Keys.onReturnPressed: if (approval) orvane.approve()
    Keys.onEnterPressed: if (approval) orvane.approve()
    Keys.onEscapePressed: orvane.dismissPairing()

    // Clicks on the card stay on the card.
    MouseArea { anchors.fill: parent }

    ColumnLayout {
        id: column
        anchors.left: parent.left
        anchors.right: parent.right
        spacing: 0

        // Header.
        RowLayout {
            Layout.fillWidth: true
            Layout.margins: Theme.space5
            Layout.bottomMargin: Theme.space4
            spacing: Theme.space3
            Rectangle {
                Layout.preferredWidth: 38
                Layout.preferredHeight: 38
                radius: 10
                color: Theme.accentSoft
                Symbol {
                    anchors.centerIn: parent
                    name: "qrcode"
                    tint: "accent"
                    size: 20
                }
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 2
                Text {
                    Layout.fillWidth: true
                    text: "Pair a device"
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.headlineSize
                    font.weight: Font.DemiBold
                    color: Theme.text
                }
                Text {
                    Layout.fillWidth: true
                    visible: text !== ""
                    text: orvane.pairingSubtitle
                    elide: Text.ElideRight
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.footnoteSize
                    color: Theme.textSecondary
                }
            }
            IconButton {
                Layout.alignment: Qt.AlignTop
                symbol: "xmark"
                label: "Close"
                tint: "muted"
                symbolSize: 14
                onClicked: orvane.dismissPairing()
            }
        }

        Hairline { Layout.fillWidth: true }

        // The two steps share one place; the card grows or shrinks to the one shown.
        Item {
            id: steps
            Layout.fillWidth: true
            property real stepHeight: sheet.approval ? approvalStep.implicitHeight : codeStep.implicitHeight
            Layout.preferredHeight: stepHeight
            clip: true
            Behavior on stepHeight {
                NumberAnimation { duration: Theme.slow; easing.type: Easing.OutCubic }
            }

            // The code to scan.
            ColumnLayout {
                id: codeStep
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.leftMargin: Theme.space6
                anchors.rightMargin: Theme.space6
                spacing: 0
                enabled: !sheet.approval
                opacity: sheet.approval ? 0 : 1
                visible: opacity > 0
                transform: Translate { x: sheet.approval ? -28 : 0; Behavior on x { NumberAnimation { duration: Theme.slow; easing.type: Easing.OutCubic } } }
                Behavior on opacity { NumberAnimation { duration: Theme.normal } }

                Item { Layout.preferredHeight: Theme.space6 }

                // The code sits on white in both appearances, as scanners expect.
                Rectangle {
                    id: codeFrame
                    readonly property int target: 216
                    // Whole pixels per module keep the code sharp.
                    readonly property int factor: code.implicitWidth > 0 ? Math.max(1, Math.floor(target / code.implicitWidth)) : 1
                    readonly property int side: code.implicitWidth > 0 && code.implicitWidth <= target
                                                ? code.implicitWidth * factor : target
                    Layout.alignment: Qt.AlignHCenter
                    Layout.preferredWidth: target + 2 * 18
                    Layout.preferredHeight: target + 2 * 18
                    radius: Theme.radiusLarge
                    color: sheet.hasCode ? "#ffffff" : Theme.inset
                    border.width: 1
                    border.color: Theme.hairline

                    Image {
                        id: code
                        anchors.centerIn: parent
                        width: codeFrame.side
                        height: codeFrame.side
                        visible: sheet.hasCode && status === Image.Ready
                        source: orvane.qrImageSource
                        smooth: false
                        mipmap: false
                        cache: false
                        fillMode: Image.PreserveAspectFit
                        Accessible.role: Accessible.Graphic
                        Accessible.name: "Pairing code"
                    }

                    Column {
                        anchors.centerIn: parent
                        visible: !sheet.hasCode
                        spacing: Theme.space3
                        Spinner {
                            anchors.horizontalCenter: parent.horizontalCenter
                            running: parent.visible
                        }
                        Text {
                            anchors.horizontalCenter: parent.horizontalCenter
                            text: "Preparing code…"
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.footnoteSize
                            color: Theme.textSecondary
                        }
                    }
                }

                Text {
                    Layout.alignment: Qt.AlignHCenter
                    Layout.topMargin: Theme.space2 + 2
                    visible: text !== ""
                    text: orvane.countdownText
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.footnoteSize
                    color: Theme.textSecondary
                }

                Text {
                    Layout.fillWidth: true
                    Layout.topMargin: Theme.space5
                    text: "Open Orvane on your phone"
                    horizontalAlignment: Text.AlignHCenter
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.calloutSize
                    font.weight: Font.DemiBold
                    color: Theme.text
                }
                Text {
                    Layout.fillWidth: true
                    Layout.topMargin: Theme.space1
                    text: "Tap Scan QR, then approve the request that appears here."
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.bodySize
                    color: Theme.textSecondary
                }
                PillButton {
                    Layout.alignment: Qt.AlignHCenter
                    Layout.topMargin: Theme.space4
                    symbol: "arrow.clockwise"
                    text: "New code"
                    onClicked: orvane.newCode()
                }

                Item { Layout.preferredHeight: Theme.space6 }
            }

            // A phone asking to pair.
            ColumnLayout {
                id: approvalStep
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.leftMargin: Theme.space6 + Theme.space2
                anchors.rightMargin: Theme.space6 + Theme.space2
                spacing: 0
                enabled: sheet.approval
                opacity: sheet.approval ? 1 : 0
                visible: opacity > 0
                transform: Translate { x: sheet.approval ? 0 : 28; Behavior on x { NumberAnimation { duration: Theme.slow; easing.type: Easing.OutCubic } } }
                Behavior on opacity { NumberAnimation { duration: Theme.normal } }

                Item { Layout.preferredHeight: Theme.space8 }

                Rectangle {
                    Layout.alignment: Qt.AlignHCenter
                    Layout.preferredWidth: 72
                    Layout.preferredHeight: 72
                    radius: 36
                    color: Theme.accentSoft
                    Symbol {
                        anchors.centerIn: parent
                        name: "iphone.gen3"
                        tint: "accent"
                        size: 36
                    }
                }
                Text {
                    Layout.fillWidth: true
                    Layout.topMargin: Theme.space4
                    text: "Pair with this phone?"
                    horizontalAlignment: Text.AlignHCenter
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.title3Size
                    font.weight: Font.DemiBold
                    color: Theme.text
                }
                Text {
                    Layout.fillWidth: true
                    Layout.topMargin: Theme.space1
                    visible: text !== ""
                    text: orvane.pendingDeviceName
                    horizontalAlignment: Text.AlignHCenter
                    elide: Text.ElideRight
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.calloutSize
                    font.weight: Font.Medium
                    color: Theme.accent
                }
                Rectangle {
                    Layout.fillWidth: true
                    Layout.topMargin: Theme.space5
                    implicitHeight: warning.implicitHeight + 2 * Theme.space3
                    radius: Theme.radiusMedium
                    color: Qt.rgba(Theme.warning.r, Theme.warning.g, Theme.warning.b, Theme.dark ? 0.14 : 0.11)
                    border.width: 1
                    border.color: Qt.rgba(Theme.warning.r, Theme.warning.g, Theme.warning.b, 0.3)
                    RowLayout {
                        id: warning
                        anchors.fill: parent
                        anchors.margins: Theme.space3
                        spacing: Theme.space2
                        Symbol {
                            Layout.alignment: Qt.AlignTop
                            Layout.topMargin: -1
                            name: "exclamationmark.triangle"
                            tint: "warning"
                            size: 16
                        }
                        Text {
                            Layout.fillWidth: true
                            text: "Approve only if you just scanned the code from this device."
                            wrapMode: Text.WordWrap
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.footnoteSize
                            color: Theme.text
                        }
                    }
                }
                RowLayout {
                    Layout.fillWidth: true
                    Layout.topMargin: Theme.space5
                    spacing: Theme.space3
                    PillButton {
                        Layout.fillWidth: true
                        Layout.preferredWidth: 1
                        text: "Deny"
                        onClicked: orvane.deny()
                    }
                    PillButton {
                        id: approveButton
                        objectName: "pairingApprove"
                        Layout.fillWidth: true
                        Layout.preferredWidth: 1
                        prominent: true
                        text: "Approve"
                        onClicked: orvane.approve()
                    }
                }

                Item { Layout.preferredHeight: Theme.space6 }
            }
        }

        Hairline { Layout.fillWidth: true }

        // Footer.
        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: Theme.space5
            Layout.rightMargin: Theme.space4
            Layout.topMargin: Theme.space3
            Layout.bottomMargin: Theme.space3
            spacing: Theme.space2
            Symbol {
                visible: orvane.pairingAddress !== ""
                name: "link"
                tint: "muted"
                size: 13
            }
            Text {
                Layout.fillWidth: true
                text: orvane.pairingAddress
                elide: Text.ElideMiddle
                font.family: Theme.fontFamily
                font.pixelSize: Theme.footnoteSize
                color: Theme.textSecondary
            }
            PillButton {
                text: "Done"
                onClicked: orvane.dismissPairing()
            }
        }
    }
}
