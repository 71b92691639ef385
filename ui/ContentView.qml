import QtQuick
import QtQuick.Controls.Basic
import Zurbo

// The main window's content: a fixed 1180 x 930 canvas, shrunk to fit and centred on ink.
Rectangle {
    id: root

    required property CompressorModel model
    required property FileBrowserReveal fileBrowser
    // The finished job shown in the comparison sheet; the sheet is open while it is set.
    property var comparisonJob: null

    readonly property real canvasScale: Math.min(1, width / 1180, height / 930)

    color: Theme.ink

    function closeComparison() {
        root.comparisonJob = null
    }

    // Starts the batch with the settings on screen.
    function compressAll() {
        controlCard.compressAll()
    }

    DropArea {
        anchors.fill: parent
        keys: ["text/uri-list"]
        onContainsDragChanged: root.model.isDropTargeted = containsDrag
        onDropped: drop => {
            root.model.acceptDrop(drop.urls)
            drop.accept(Qt.CopyAction)
        }
    }

    Item {
        id: canvas
        objectName: "canvas"
        anchors.centerIn: parent
        width: 1180
        height: 930
        scale: root.canvasScale
        // Shrunk as one picture: rounded shapes scaled one by one get stray edges from the
        // software renderer (GPU renderers scale them cleanly).
        layer.enabled: root.canvasScale < 1 && GraphicsInfo.api === GraphicsInfo.Software
        layer.smooth: true

        Item {
            id: header
            width: parent.width
            height: wordmark.height + 40

            DisplayText {
                id: wordmark
                anchors.horizontalCenter: parent.horizontalCenter
                y: 22
                text: "ZURBO"
                size: 92
                color: Theme.mint
            }
            Row {
                anchors.right: parent.right
                anchors.rightMargin: 26
                anchors.verticalCenter: wordmark.verticalCenter
                spacing: 6

                KeyCap { label: "Ctrl" }
                KeyCap { label: "O" }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: "ABRIR"
                    font: Theme.condensedBold(11)
                    color: Theme.withAlpha(Theme.cream, 0.58)
                }
            }
        }

        Flickable {
            anchors.top: header.bottom
            anchors.bottom: parent.bottom
            width: parent.width
            contentHeight: content.implicitHeight
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

            Column {
                id: content
                x: 24
                width: parent.width - 48
                spacing: 20
                bottomPadding: 26

                Row {
                    width: parent.width
                    height: 720
                    spacing: 20

                    QueueCard {
                        objectName: "queueCard"
                        width: (parent.width - parent.spacing) / 2
                        height: parent.height
                        compressor: root.model
                        onCompareRequested: job => root.comparisonJob = job
                        onRevealRequested: path => root.fileBrowser.reveal(path)
                    }
                    ControlCard {
                        id: controlCard
                        objectName: "controlCard"
                        width: (parent.width - parent.spacing) / 2
                        height: parent.height
                        compressor: root.model
                    }
                }

                ResultCard {
                    objectName: "resultCard"
                    width: parent.width
                    visible: root.model.completedJobs.length > 0
                    compressor: root.model
                    onCompareRequested: job => root.comparisonJob = job
                    onClearRequested: {
                        root.closeComparison()
                        root.model.clearAll()
                    }
                }

                Row {
                    objectName: "privacyNote"
                    spacing: 7

                    // A padlock, drawn: no installed face is sure to have one.
                    Item {
                        anchors.verticalCenter: parent.verticalCenter
                        width: 8
                        height: 10

                        Rectangle {
                            x: 1.5
                            width: 5
                            height: 6
                            radius: 2.5
                            color: "transparent"
                            border.width: 1.2
                            border.color: Theme.withAlpha(Theme.cream, 0.44)
                        }
                        Rectangle {
                            y: 4
                            width: 8
                            height: 6
                            radius: 1
                            color: Theme.withAlpha(Theme.cream, 0.44)
                        }
                    }
                    Text {
                        text: "TODO QUEDA EN TU ORDENADOR · CERO NUBES · CERO SERVIDORES TURBIOS · CERO MOVIDAS"
                        font: Theme.monospaced(9, Font.Bold)
                        color: Theme.withAlpha(Theme.cream, 0.44)
                    }
                }
            }
        }

        // The comparison sheet, modal over the canvas.
        Rectangle {
            objectName: "comparisonSheet"
            anchors.fill: parent
            visible: root.comparisonJob !== null
            color: Qt.rgba(0, 0, 0, 0.55)

            MouseArea {
                anchors.fill: parent
                acceptedButtons: Qt.AllButtons
            }
            Loader {
                anchors.centerIn: parent
                width: 1080
                height: 820
                active: root.comparisonJob !== null
                sourceComponent: PDFComparisonView {
                    objectName: "comparisonView"
                    job: root.comparisonJob
                    onDismiss: root.closeComparison()
                }
            }
        }
    }

    Shortcut {
        sequence: "Escape"
        enabled: root.comparisonJob !== null
        onActivated: root.closeComparison()
    }
}
