import QtQuick
import Zurbo

// One of two or more choices shown side by side; pills in a row share its width.
Rectangle {
    id: root

    property string title
    property bool selected
    property color ink: Theme.ink
    property color cream: Theme.cream
    property color orange: Theme.orange

    signal activated()

    implicitWidth: label.implicitWidth + 24
    implicitHeight: label.implicitHeight + 16
    radius: height / 2
    color: selected ? ink : Theme.pillGray
    opacity: enabled ? 1 : 0.5

    Text {
        id: label
        anchors.fill: parent
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        text: root.title
        font: Theme.condensedBold(11)
        color: root.selected ? root.cream : Theme.withAlpha(root.ink, 0.55)
    }

    Pressable {
        text: root.title
        Accessible.role: Accessible.RadioButton
        Accessible.checkable: true
        Accessible.checked: root.selected
        cornerRadius: root.radius
        onClicked: root.activated()
    }
}
