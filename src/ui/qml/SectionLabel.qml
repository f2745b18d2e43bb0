import QtQuick

// A small heading above a group of rows.
Text {
    font.family: Theme.fontFamily
    font.pixelSize: Theme.captionSize
    font.weight: Font.DemiBold
    font.letterSpacing: 0.4
    color: Theme.textSecondary
    elide: Text.ElideRight
}
