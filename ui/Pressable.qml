import QtQuick
import QtQuick.Templates as T

// What makes a drawn shape a button, laid over it: a click, Space or Return presses it, Tab
// reaches it in reading order, a ring shows the keyboard's focus, and assistive technology
// reads `text` (or `Accessible.name` for a symbol) and can press it.
T.AbstractButton {
    id: root

    // The corners of the shape, for the focus ring.
    property real cornerRadius

    anchors.fill: parent
    focusPolicy: Qt.StrongFocus
    Keys.onReturnPressed: root.clicked()
    Keys.onEnterPressed: root.clicked()

    background: FocusRing {
        visible: root.visualFocus
        cornerRadius: root.cornerRadius
    }
}
