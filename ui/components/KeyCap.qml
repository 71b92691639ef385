import QtQuick
import Zurbo

// A keyboard key drawn as a hint.
Rectangle {
    id: root

    property string label

    implicitWidth: Math.max(25, text.implicitWidth + 10)
    implicitHeight: Math.max(23, text.implicitHeight + 6)
    radius: 7
    color: "black"

    Text {
        id: text
        anchors.centerIn: parent
        text: root.label
        font: Theme.system(10, Font.Black)
        color: Qt.rgba(1, 1, 1, 0.82)
    }
}
