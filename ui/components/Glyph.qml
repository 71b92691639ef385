import QtQuick
import QtQuick.Shapes
import Zurbo

// One of the window's symbols, drawn from the project's own outlines in a 24-unit square
// scaled to `size`: no installed face is sure to have them all.
Item {
    id: root

    // plus, arrowDownDoc, xmark, splitRectangle, trashSlash, play, chevronLeft, chevronRight, lock
    property string name
    property real size: 18
    property color color: Theme.ink

    // Each symbol as the lines drawn with a round pen and the areas filled.
    readonly property var outlines: ({
        plus: ["M12 4V20M4 12H20", ""],
        arrowDownDoc: ["M6 2.5H14L19 7.5V21.5H6ZM14 2.5V7.5H19M12 10V17.5M8.5 14L12 17.5L15.5 14", ""],
        xmark: ["M6.5 6.5L17.5 17.5M17.5 6.5L6.5 17.5", ""],
        splitRectangle: ["M3 5.5H21V18.5H3ZM12 5.5V18.5", ""],
        trashSlash: ["M4 6.5H20M9.5 6.5V4H14.5V6.5M6.5 6.5L7.5 20.5H16.5L17.5 6.5M3 3L21 21", ""],
        play: ["M7.5 5L19 12L7.5 19Z", "M7.5 5L19 12L7.5 19Z"],
        chevronLeft: ["M15 4L7 12L15 20", ""],
        chevronRight: ["M9 4L17 12L9 20", ""],
        lock: ["M8 11V8A4 4 0 0 1 16 8V11", "M5 11H19V21H5Z"]
    })

    readonly property var outline: outlines[name] ?? ["", ""]

    implicitWidth: size
    implicitHeight: size

    Shape {
        width: 24
        height: 24
        scale: root.size / 24
        transformOrigin: Item.TopLeft
        antialiasing: true

        ShapePath {
            strokeColor: root.color
            strokeWidth: 2.6
            fillColor: "transparent"
            capStyle: ShapePath.RoundCap
            joinStyle: ShapePath.RoundJoin

            PathSvg { path: root.outline[0] }
        }
        ShapePath {
            strokeColor: "transparent"
            fillColor: root.color

            PathSvg { path: root.outline[1] }
        }
    }
}
