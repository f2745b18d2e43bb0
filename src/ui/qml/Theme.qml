pragma Singleton
import QtQuick

// Colours, sizes and timings shared by every view. The appearance and the motion
// preference come from the shell's context object; without one (a designer loading a
// single file) the light appearance with motion is used.
QtObject {
    id: theme

    readonly property bool hasContext: typeof orvane !== "undefined" && orvane !== null
    readonly property bool dark: hasContext && orvane.darkAppearance === true
    readonly property bool reduceMotion: hasContext && orvane.reduceMotion === true

    // Brand and state. The icon tints baked by CMakeLists.txt use the same values.
    readonly property color accent: dark ? "#8f93fa" : "#4f54d9"
    readonly property color accentHover: dark ? "#a1a4fb" : "#4348c9"
    // Filled controls (prominent buttons, switches, ticks) carry white text and glyphs,
    // so their accent stays deep in the dark appearance too.
    readonly property color accentFill: dark ? "#5a5fe0" : "#4f54d9"
    readonly property color accentFillHover: dark ? "#666bea" : "#4348c9"
    readonly property color accentSoft: dark ? Qt.rgba(0.56, 0.58, 0.98, 0.18) : Qt.rgba(0.31, 0.33, 0.85, 0.11)
    readonly property color textOnAccent: "#ffffff"
    readonly property color connected: Qt.rgba(0.208, 0.788, 0.584, 1)
    readonly property color disconnected: Qt.rgba(0.941, 0.443, 0.471, 1)
    readonly property color warning: "#e39a2b"
    // The fill of a button that deletes or ends something; white text reads on both.
    readonly property color destructiveFill: dark ? "#d8464f" : "#d4343f"
    // Text on a pill or a notice, dark enough to read on the light appearance.
    readonly property color connectedText: dark ? connected : "#17805b"
    readonly property color disconnectedText: dark ? "#f5939a" : "#c23b47"
    readonly property color warningText: dark ? "#f0b75e" : "#9a5d05"

    // Surfaces.
    readonly property color windowTop: dark ? "#1b1c22" : "#f3f4f8"
    readonly property color windowBottom: dark ? "#141519" : "#e7e9f0"
    readonly property color glass: dark ? Qt.rgba(0.16, 0.165, 0.19, 0.84) : Qt.rgba(1, 1, 1, 0.78)
    // The popover floats over other programs' windows, which nothing blurs, so it lets
    // only a little of them through.
    readonly property color glassMenu: dark ? Qt.rgba(0.15, 0.155, 0.18, 0.95) : Qt.rgba(0.985, 0.985, 0.995, 0.95)
    readonly property color glassStrong: dark ? "#2a2b31" : "#fcfcfe"
    readonly property color glassSheen: dark ? Qt.rgba(1, 1, 1, 0.035) : Qt.rgba(1, 1, 1, 0.5)
    readonly property color inset: dark ? Qt.rgba(1, 1, 1, 0.05) : Qt.rgba(0.1, 0.1, 0.2, 0.04)
    readonly property color hairline: dark ? Qt.rgba(1, 1, 1, 0.1) : Qt.rgba(0.05, 0.05, 0.15, 0.1)
    readonly property color hairlineStrong: dark ? Qt.rgba(1, 1, 1, 0.16) : Qt.rgba(0.05, 0.05, 0.15, 0.16)
    readonly property color hover: dark ? Qt.rgba(1, 1, 1, 0.07) : Qt.rgba(0.1, 0.1, 0.25, 0.055)
    readonly property color pressed: dark ? Qt.rgba(1, 1, 1, 0.12) : Qt.rgba(0.1, 0.1, 0.25, 0.1)
    readonly property color scrim: dark ? Qt.rgba(0, 0, 0, 0.5) : Qt.rgba(0.08, 0.09, 0.14, 0.28)
    readonly property color shadow: dark ? Qt.rgba(0, 0, 0, 0.35) : Qt.rgba(0.1, 0.1, 0.2, 0.1)
    readonly property color field: dark ? Qt.rgba(1, 1, 1, 0.06) : Qt.rgba(1, 1, 1, 0.9)

    // Text.
    readonly property color text: dark ? "#f1f1f5" : "#1d1d22"
    readonly property color textSecondary: dark ? "#a3a3ae" : "#6c6c76"
    readonly property color textTertiary: dark ? "#75757f" : "#9a9aa3"
    readonly property color link: accent

    // Spacing, on a 4-point grid.
    readonly property int space1: 4
    readonly property int space2: 8
    readonly property int space3: 12
    readonly property int space4: 16
    readonly property int space5: 20
    readonly property int space6: 24
    readonly property int space8: 32

    // Corner radii.
    readonly property int radiusSmall: 6
    readonly property int radiusMedium: 9
    readonly property int radiusLarge: 14
    readonly property int radiusXLarge: 18

    // Type scale, in pixels.
    readonly property string fontFamily: Qt.application.font.family
    readonly property int captionSize: 11
    readonly property int footnoteSize: 12
    readonly property int bodySize: 13
    readonly property int calloutSize: 14
    readonly property int headlineSize: 15
    readonly property int title3Size: 17
    readonly property int title2Size: 21
    readonly property int title1Size: 26

    // Timings; zero when the system asks for less motion.
    readonly property int fast: reduceMotion ? 0 : 110
    readonly property int normal: reduceMotion ? 0 : 190
    readonly property int slow: reduceMotion ? 0 : 300

    // The icon tint for a Symbol that follows the appearance.
    function tinted(base) {
        if (base === "ink" || base === "muted" || base === "accent")
            return base + (dark ? "-dark" : "-light")
        return base
    }
}
