pragma Singleton
import QtQuick
import Zurbo

// The window's palette and type. Sizes are in points (logical pixels).
QtObject {
    readonly property color ink: Qt.rgba(0.059, 0.059, 0.059, 1)
    readonly property color cream: "white"
    readonly property color lavender: Qt.rgba(0.96, 0.96, 0.96, 1)
    readonly property color butter: "white"
    readonly property color mint: Qt.rgba(0.78, 1.0, 0.18, 1)
    readonly property color orange: Qt.rgba(0.78, 1.0, 0.18, 1)
    readonly property color charcoal: Qt.rgba(0.18, 0.18, 0.18, 1)
    readonly property color midGray: Qt.rgba(0.5, 0.5, 0.5, 1)

    // Fixed colours of single components.
    readonly property color pillGray: Qt.rgba(0.93, 0.93, 0.93, 1)
    readonly property color keyGray: Qt.rgba(0.18, 0.18, 0.18, 1)
    // Menus and dialogs, a step above the canvas.
    readonly property color menuSurface: Qt.rgba(0.137, 0.137, 0.137, 1)

    // The system faces standing in for the platform's default, rounded and monospaced designs.
    readonly property string systemFamily: "DejaVu Sans"
    readonly property string monospacedFamily: "DejaVu Sans Mono"

    function withAlpha(colour, alpha) {
        return Qt.rgba(colour.r, colour.g, colour.b, alpha)
    }

    // The three bundled faces, by the names the application registers.
    function sink(size) {
        return BundledFonts.face("SinkRegular", size)
    }
    function condensed(size) {
        return BundledFonts.face("RobotoCondensed-Regular", size)
    }
    function condensedBold(size) {
        return BundledFonts.face("RobotoCondensed-Bold", size)
    }
    // The system face at a size and weight (Font.Medium ... Font.Black).
    function system(size, weight) {
        return Qt.font({ family: systemFamily, pixelSize: size, weight: weight })
    }
    function monospaced(size, weight) {
        return Qt.font({ family: monospacedFamily, pixelSize: size, weight: weight })
    }
}
