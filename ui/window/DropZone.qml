import QtQuick
import QtQuick.Shapes
import Zurbo

// The empty queue's invitation: click to choose files, or drop them anywhere.
Item {
    id: root

    property bool targeted
    property color ink: Theme.ink
    property color cream: Theme.cream

    signal activated()

    implicitHeight: Math.max(175, content.implicitHeight + 48)

    Rectangle {
        anchors.fill: parent
        radius: 28
        color: root.targeted ? root.cream : Theme.withAlpha(root.cream, 0.44)
    }

    Shape {
        anchors.fill: parent
        antialiasing: true

        ShapePath {
            id: outline

            readonly property real r: 28
            readonly property real w: root.width
            readonly property real h: root.height

            strokeColor: Theme.withAlpha(root.ink, 0.16)
            strokeWidth: 1.5
            strokeStyle: ShapePath.DashLine
            // In units of the line width: 8 on, 7 off.
            dashPattern: [8 / 1.5, 7 / 1.5]
            fillColor: "transparent"
            startX: r
            startY: 0

            PathLine { x: outline.w - outline.r; y: 0 }
            PathArc { x: outline.w; y: outline.r; radiusX: outline.r; radiusY: outline.r }
            PathLine { x: outline.w; y: outline.h - outline.r }
            PathArc {
                x: outline.w - outline.r
                y: outline.h
                radiusX: outline.r
                radiusY: outline.r
            }
            PathLine { x: outline.r; y: outline.h }
            PathArc { x: 0; y: outline.h - outline.r; radiusX: outline.r; radiusY: outline.r }
            PathLine { x: 0; y: outline.r }
            PathArc { x: outline.r; y: 0; radiusX: outline.r; radiusY: outline.r }
        }
    }

    Column {
        id: content
        anchors.centerIn: parent
        spacing: 12

        Glyph {
            anchors.horizontalCenter: parent.horizontalCenter
            name: root.targeted ? "arrowDownDoc" : "plus"
            size: 29
            color: root.ink
        }
        DisplayText {
            id: title
            objectName: "dropTitle"
            anchors.horizontalCenter: parent.horizontalCenter
            horizontalAlignment: Text.AlignHCenter
            text: root.targeted ? "SUELTA ESA BESTIA" : "ARRASTRA AQUÍ\nEL GORDITO"
            size: 22
            Accessible.ignored: true
            color: root.ink
        }
        Text {
            id: hint
            anchors.horizontalCenter: parent.horizontalCenter
            horizontalAlignment: Text.AlignHCenter
            text: "O haz click y lo buscamos en tus carpetas\nescapatoria no tiene el pobre..."
            font: Theme.condensed(11)
            color: root.ink
            opacity: 0.58
        }
    }

    Pressable {
        text: title.text.replace("\n", " ")
        Accessible.description: hint.text.replace("\n", " ")
        cornerRadius: 28
        onClicked: root.activated()
    }
}
