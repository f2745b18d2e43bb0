import QtQuick

// The window's ground: a quiet vertical gradient with two soft glows of the brand's
// colours, over which the glass panels sit. The glows are painted on a canvas, which
// keeps their falloff smooth on every renderer.
Rectangle {
    id: backdrop

    gradient: Gradient {
        GradientStop { position: 0.0; color: Theme.windowTop }
        GradientStop { position: 1.0; color: Theme.windowBottom }
    }

    Canvas {
        id: glows
        anchors.fill: parent

        readonly property bool dark: Theme.dark
        onDarkChanged: requestPaint()
        onWidthChanged: requestPaint()
        onHeightChanged: requestPaint()

        function glow(ctx, x, y, r, rgb, alpha) {
            const g = ctx.createRadialGradient(x, y, 0, x, y, r)
            g.addColorStop(0, "rgba(" + rgb + "," + alpha + ")")
            g.addColorStop(0.55, "rgba(" + rgb + "," + (alpha * 0.35) + ")")
            g.addColorStop(1, "rgba(" + rgb + ",0)")
            ctx.fillStyle = g
            ctx.fillRect(0, 0, width, height)
        }

        onPaint: {
            const ctx = getContext("2d")
            ctx.reset()
            const size = Math.max(width, height)
            glow(ctx, width * 0.1, height * 0.02, size * 0.6, "110,115,240", dark ? 0.16 : 0.13)
            glow(ctx, width * 0.94, height * 1.02, size * 0.5, "46,184,164", dark ? 0.12 : 0.11)
        }
    }
}
