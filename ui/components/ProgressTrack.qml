import QtQuick
import Zurbo

// A rounded track that fills from the left with `progress` (0 to 1) on an ease-out curve of
// `duration` milliseconds; assistive technology reads it as a progress bar named `name`, with
// its percentage.
Rectangle {
    id: root

    property real progress
    property color fillColor
    property int duration
    property string name

    radius: height / 2

    Rectangle {
        objectName: "progressFill"
        height: parent.height
        radius: parent.radius
        width: parent.width * Math.min(Math.max(root.progress, 0), 1)
        color: root.fillColor

        Behavior on width {
            NumberAnimation { duration: root.duration; easing.type: Easing.OutCubic }
        }
    }

    AccessibleItem {
        anchors.fill: parent
        value: Math.trunc(Math.min(Math.max(root.progress, 0), 1) * 100)
        Accessible.role: Accessible.ProgressBar
        Accessible.name: root.name
        Accessible.ignored: !visible
    }
}
