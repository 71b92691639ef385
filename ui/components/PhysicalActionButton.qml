import QtQuick
import Zurbo

// The big button. While disabled it ignores clicks but looks exactly the same.
Rectangle {
    id: root

    property string title
    property string subtitle
    property color ink: Theme.ink
    property color cream: Theme.cream
    property color orange: Theme.orange
    property bool disabled

    readonly property string displayedTitle: title === "ZURBO THIS PDF" ? "ZUUURBO THIS PDF" : title

    signal activated()

    implicitHeight: Math.max(labels.implicitHeight, 38) + 26
    radius: 24
    color: ink

    Column {
        id: labels
        anchors.left: parent.left
        anchors.leftMargin: 17
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2

        DisplayText {
            objectName: "actionTitle"
            Accessible.ignored: true
            text: root.displayedTitle
            size: 24
            color: root.orange
        }
        Text {
            objectName: "actionSubtitle"
            text: root.subtitle
            font: Theme.condensed(9)
            color: Theme.withAlpha(root.orange, 0.48)
        }
    }

    Rectangle {
        anchors.right: parent.right
        anchors.rightMargin: 17
        anchors.verticalCenter: parent.verticalCenter
        width: 43
        height: 38
        radius: height / 2
        color: root.orange

        Glyph {
            anchors.centerIn: parent
            anchors.horizontalCenterOffset: 1
            name: "play"
            size: 17
            color: root.ink
        }
    }

    Pressable {
        enabled: !root.disabled
        text: root.displayedTitle
        Accessible.description: root.subtitle
        cornerRadius: root.radius
        onClicked: root.activated()
    }
}
