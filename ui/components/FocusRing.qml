import QtQuick
import Zurbo

// The keyboard's focus around a control: an ink ring inside an acid one, so that one of the two
// shows on every surface of the window.
Rectangle {
    id: root

    property real cornerRadius

    anchors.fill: parent
    anchors.margins: -4
    radius: cornerRadius + 4
    color: "transparent"
    border.width: 2
    border.color: Theme.mint

    Rectangle {
        anchors.fill: parent
        anchors.margins: 2
        radius: root.cornerRadius + 2
        color: "transparent"
        border.width: 2
        border.color: Theme.ink
    }
}
