import QtQuick

// A line icon by its symbol name. `tint` is one of "ink", "muted" and "accent", which
// follow the appearance, or "white", "positive", "negative" and "warning".
Item {
    id: symbol

    property string name
    property string tint: "ink"
    property real size: 16

    // Symbol name to the file under icons/<tint>/.
    readonly property var files: ({
        "arrow.clockwise": "arrow.clockwise.svg",
        "backward.fill": "backward.fill.svg",
        "bell": "bell.svg",
        "bubble.left.and.bubble.right": "bubble.left.and.bubble.right.svg",
        "checkmark": "checkmark.svg",
        "checkmark.circle": "checkmark.circle.svg",
        "chevron.right": "chevron.right.svg",
        "doc.on.clipboard": "doc.on.clipboard.svg",
        "exclamationmark.triangle": "exclamationmark.triangle.svg",
        "forward.fill": "forward.fill.svg",
        "gearshape": "gearshape.svg",
        "info.circle": "info.circle.svg",
        "iphone.gen3": "iphone.gen3.svg",
        "laptopcomputer.and.iphone": "laptopcomputer.and.iphone.svg",
        "link": "link.svg",
        "macwindow": "macwindow.svg",
        "magnifyingglass": "magnifyingglass.svg",
        "music.note": "music.note.svg",
        "pause.fill": "pause.fill.svg",
        "play.circle": "play.circle.svg",
        "play.fill": "play.fill.svg",
        "power": "power.svg",
        "qrcode": "qrcode.svg",
        "qrcode.viewfinder": "qrcode.viewfinder.svg",
        "slider.horizontal.3": "slider.horizontal.3.svg",
        "wrench.and.screwdriver": "wrench.and.screwdriver.svg",
        "xmark": "xmark.svg"
    })
    readonly property string file: files[name] !== undefined ? files[name] : ""

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
