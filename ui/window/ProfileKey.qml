import QtQuick
import Zurbo

// A compression profile to pick, with the size the queue would reach with it.
Rectangle {
    id: root

    // "respectful", "balanced" or "demolition".
    property string profile
    property bool selected
    // Empty when there is nothing to estimate.
    property string estimate
    property color ink: Theme.ink
    property color cream: Theme.cream
    property color orange: Theme.orange

    readonly property var labels: ({
        respectful: ["CON CARIÑO", "200 ppp · imprenta amiga"],
        balanced: ["SIN PIEDAD", "150 ppp · el punto bueno"],
        demolition: ["A TOMAR POR PDF", "110 ppp · pesa lo mínimo"]
    })

    signal activated()

    implicitHeight: Math.ceil(row.implicitHeight) + 12
    radius: 18
    color: selected ? ink : Theme.keyGray
    border.width: selected ? 2 : 0
    border.color: orange

    Row {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 13
        anchors.rightMargin: 13
        anchors.topMargin: 6
        anchors.bottomMargin: 6
        spacing: 11

        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: root.selected ? "●" : "○"
            color: root.selected ? root.orange : Theme.withAlpha(root.cream, 0.32)
            font: Theme.system(13, Font.Normal)
        }

        Column {
            anchors.verticalCenter: parent.verticalCenter
            spacing: 1

            DisplayText {
                objectName: "profileTitle"
                Accessible.ignored: true
                text: root.labels[root.profile][0]
                size: 15
                color: root.cream
            }
            Text {
                text: root.labels[root.profile][1]
                font: Theme.condensed(9)
                color: Theme.withAlpha(root.cream, 0.58)
            }
        }
    }

    Text {
        objectName: "estimate"
        anchors.right: parent.right
        anchors.rightMargin: 13
        anchors.verticalCenter: parent.verticalCenter
        visible: root.estimate !== ""
        text: root.estimate
        font: Theme.condensedBold(9)
        color: Theme.withAlpha(root.cream, 0.72)
    }

    Pressable {
        text: root.labels[root.profile][0]
        Accessible.description: [root.labels[root.profile][1], root.estimate].join(" ").trim()
        Accessible.role: Accessible.RadioButton
        Accessible.checkable: true
        Accessible.checked: root.selected
        cornerRadius: root.radius
        onClicked: root.activated()
    }
}
