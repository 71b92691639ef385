import QtQuick
import Zurbo

// What makes a drawn shape a button, laid over it: a click, Space or Return presses it, Tab
// reaches it in reading order, a ring shows the keyboard's focus, and assistive technology
// reads `text` (or `Accessible.name` for a symbol) and can press it.
Item {
    id: root

    property string text
    // The corners of the shape, for the focus ring.
    property real cornerRadius

    signal clicked()

    anchors.fill: parent
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: root.text
    Accessible.focusable: true
    Accessible.onPressAction: root.clicked()
    Accessible.onToggleAction: root.clicked()
    Keys.onPressed: event => {
        if ([Qt.Key_Space, Qt.Key_Return, Qt.Key_Enter].includes(event.key)) {
            event.accepted = true
            if (!event.isAutoRepeat)
                root.clicked()
        }
    }

    TapHandler {
        onTapped: root.clicked()
    }
    HoverHandler {
        cursorShape: Qt.PointingHandCursor
    }
    // Pointer clicks leave the focus where it was, so the ring only follows the keyboard.
    FocusRing {
        visible: root.activeFocus
        cornerRadius: root.cornerRadius
    }
}
