import QtQuick
import QtQuick.Shapes

// The empty queue's invitation: click to choose files, or drop them anywhere.
Item {
    id: root

    property bool targeted
    property color ink: Palette.ink
    property color cream: Palette.cream

    signal activated()

    implicitHeight: Math.max(175, content.implicitHeight + 48)

    Rectangle {
        anchors.fill: parent
        radius: 28
        color: root.targeted ? root.cream : Palette.withAlpha(root.cream, 0.44)
    }

    Shape {
        anchors.fill: parent
        antialiasing: true

        ShapePath {
            readonly property real r: 28
            readonly property real w: root.width
            readonly property real h: root.height

            strokeColor: Palette.withAlpha(root.ink, 0.16)
            strokeWidth: 1.5
            strokeStyle: ShapePath.DashLine
            // In units of the line width: 8 on, 7 off.
            dashPattern: [8 / 1.5, 7 / 1.5]
            fillColor: "transparent"
            startX: r
            startY: 0

            PathLine { x: parent.w - parent.r; y: 0 }
            PathArc { x: parent.w; y: parent.r; radiusX: parent.r; radiusY: parent.r }
            PathLine { x: parent.w; y: parent.h - parent.r }
            PathArc { x: parent.w - parent.r; y: parent.h; radiusX: parent.r; radiusY: parent.r }
            PathLine { x: parent.r; y: parent.h }
            PathArc { x: 0; y: parent.h - parent.r; radiusX: parent.r; radiusY: parent.r }
            PathLine { x: 0; y: parent.r }
            PathArc { x: parent.r; y: 0; radiusX: parent.r; radiusY: parent.r }
        }
    }

    Column {
        id: content
        anchors.centerIn: parent
        spacing: 12

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: root.targeted ? "⤓" : "+"
            font: Palette.system(29, Font.Black)
            color: root.ink
        }
        Text {
            objectName: "dropTitle"
            anchors.horizontalCenter: parent.horizontalCenter
            horizontalAlignment: Text.AlignHCenter
            text: root.targeted ? "SUELTA ESA BESTIA" : "ARRASTRA AQUÍ\nEL GORDITO"
            font: Palette.sink(22)
            color: root.ink
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            horizontalAlignment: Text.AlignHCenter
            text: "O haz click y lo buscamos en tus carpetas\nescapatoria no tiene el pobre..."
            font: Palette.condensed(11)
            color: root.ink
            opacity: 0.58
        }
    }

    TapHandler {
        onTapped: root.activated()
    }
}
