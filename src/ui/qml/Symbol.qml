import QtQuick

// A line icon by its symbol name. `tint` is one of "ink", "muted" and "accent", which
// follow the appearance, or "white", "positive", "negative" and "warning".
Item {
    id: symbol

    property string name
    property string tint: "ink"
    property real size: 16

    // Each symbol is a file of the same name under icons/<tint>/.
    readonly property string file: name !== "" ? name + ".svg" : ""

    implicitWidth: size
    implicitHeight: size

    Image {
        anchors.fill: parent
        visible: symbol.file !== ""
        source: symbol.file !== "" ? "icons/" + Theme.tinted(symbol.tint) + "/" + symbol.file : ""
        sourceSize.width: Math.ceil(symbol.size)
        sourceSize.height: Math.ceil(symbol.size)
        fillMode: Image.PreserveAspectFit
        smooth: true
        mipmap: false
    }
}
