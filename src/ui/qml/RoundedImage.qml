import QtQuick

// An image cut to a rounded rectangle, drawn on a canvas so that no shader is needed.
// Shows nothing until the image has loaded.
Canvas {
    id: canvas

    property url source
    property real radius: 8
    property bool ready: false
    readonly property string path: "" + source

    function reload() {
        ready = path !== "" && isImageLoaded(source)
        if (path !== "" && !ready)
            loadImage(source)
        requestPaint()
    }

    onSourceChanged: reload()
    Component.onCompleted: reload()
    onImageLoaded: {
        ready = path !== "" && isImageLoaded(source)
        requestPaint()
    }
    onWidthChanged: requestPaint()
    onHeightChanged: requestPaint()

    onPaint: {
        const ctx = getContext("2d")
        ctx.reset()
        if (!ready)
            return
        const r = Math.min(radius, width / 2, height / 2)
        ctx.beginPath()
        ctx.moveTo(r, 0)
        ctx.arcTo(width, 0, width, height, r)
        ctx.arcTo(width, height, 0, height, r)
        ctx.arcTo(0, height, 0, 0, r)
        ctx.arcTo(0, 0, width, 0, r)
        ctx.closePath()
        ctx.clip()
        ctx.drawImage(source, 0, 0, width, height)
    }
}
