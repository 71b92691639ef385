import QtQuick
import Zurbo

// What makes a drawn shape a button, laid over it: a click, Space or Return presses it, Tab
// reaches it in reading order, a ring shows the keyboard's focus, and assistive technology
// reads `text` (or `Accessible.name` for a symbol), hears whether it is disabled and can press
// it while it is not. Hidden, it is not there for assistive technology either.
AccessibleItem {
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
    Accessible.ignored: !visible
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
