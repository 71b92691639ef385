import QtQuick
import Zurbo

// The dark card of the last batch's savings, with the way to compare and to clear.
Rectangle {
    id: root

    required property CompressorModel compressor
    // The divider's width: one pixel of the screen however the canvas is scaled.
    property real lineWidth: 1

    // Only an explicit miss counts: a run without a target never missed one.
    readonly property bool anyTargetMissed:
        compressor.completedJobs.some(job => job.targetReached === false)

    // The card's news, as assistive technology hears it when a batch ends.
    readonly property var summary: [totalSavings.text + " " + savingsLabel.text, resultSizes.text]

    signal compareRequested(var job)
    signal clearRequested()

    implicitHeight: row.implicitHeight + 44
    radius: 30
    color: Theme.ink

    Row {
        id: row
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        anchors.margins: 22
        spacing: 20

        Column {
            anchors.verticalCenter: parent.verticalCenter
            spacing: 4

            StaticText {
                id: totalSavings
                objectName: "totalSavings"
                text: Math.max(0, root.compressor.totalSavings) + "%"
                font: Theme.system(48, Font.Black)
                color: Theme.mint
            }
            StaticText {
                id: savingsLabel
                text: "MENOS MIERDA DIGITAL"
                font: Theme.monospaced(12, Font.Black)
                color: Theme.cream
            }
        }

        // Drawn without smoothing, so that it covers exactly one pixel wherever it falls.
        Rectangle {
            objectName: "divider"
            anchors.verticalCenter: parent.verticalCenter
            width: root.lineWidth
            height: 60
            color: Theme.withAlpha(Theme.cream, 0.18)
        }

        Column {
            anchors.verticalCenter: parent.verticalCenter
            width: row.width - x - mascot.width - buttons.width - 2 * row.spacing
            spacing: 5

            StaticText {
                id: resultSizes
                objectName: "resultSizes"
                text: "De " + ByteText.format(root.compressor.completedOriginalBytes) + " a "
                      + ByteText.format(root.compressor.totalOutputBytes)
                font: Theme.system(18, Font.Black)
                color: Theme.cream
            }
            StaticText {
                objectName: "resultNote"
                width: parent.width
                wrapMode: Text.Wrap
                text: root.anyTargetMissed
                      ? "No hemos llegado al peso pedido sin hacer una barbaridad mayor. Te dejamos la versión más ligera conseguida."
                      : "Las letras conservan la dignidad. Los vectores, sus curvas. Los megas absurdos, la puerta."
                font: Theme.system(11, Font.DemiBold)
                color: Theme.withAlpha(Theme.cream, 0.58)
            }
        }

        MascotSprite {
            id: mascot
            objectName: "resultMascot"
            anchors.verticalCenter: parent.verticalCenter
            mascotState: MascotSprite.Success
            size: 82
        }

        Row {
            id: buttons
            anchors.verticalCenter: parent.verticalCenter
            spacing: 8

            ResultButton {
                objectName: "compareResults"
                icon: "splitRectangle"
                label: "COMPARAR"
                onActivated: root.compareRequested(root.compressor.completedJobs[0])
            }
            ResultButton {
                objectName: "clearResults"
                icon: "trashSlash"
                label: "LIMPIAR"
                onActivated: root.clearRequested()
            }
        }
    }

    component ResultButton: Rectangle {
        id: button

        // A Glyph's name.
        property string icon
        property string label

        signal activated()

        width: 74
        height: 54
        radius: height / 2
        color: Theme.charcoal

        Column {
            anchors.centerIn: parent
            spacing: 3

            Glyph {
                anchors.horizontalCenter: parent.horizontalCenter
                name: button.icon
                size: 19
                color: Theme.cream
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: button.label
                font: Theme.system(8, Font.Black)
                color: Theme.cream
            }
        }

        Pressable {
            text: button.label
            cornerRadius: button.radius
            onClicked: button.activated()
        }
    }
}
