import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Zurbo

// The main window's content: a fixed 1180 x 930 canvas, shrunk to fit and centred on ink.
Rectangle {
    id: root

    required property CompressorModel model
    required property FileBrowserReveal fileBrowser
    // The finished job shown in the comparison sheet; the sheet is open while it is set.
    property var comparisonJob: null

    readonly property real canvasScale: Math.min(1, width / 1180, height / 930)
    // Set when a batch ends, until the frame that lays out its results scrolls them into view.
    property bool resultsToReveal: false

    color: Theme.ink
    onComparisonJobChanged: comparisonJob !== null ? sheet.open() : sheet.close()

    function closeComparison() {
        root.comparisonJob = null
    }

    function clearQueue() {
        root.closeComparison()
        root.model.clearAll()
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
                heading: true
                size: 92
                color: Theme.mint
            }
            Row {
                Accessible.role: Accessible.StaticText
                Accessible.name: "Ctrl O ABRIR"
                anchors.right: parent.right
                anchors.rightMargin: 26
                anchors.verticalCenter: wordmark.verticalCenter
                spacing: 6

                KeyCap {
                    objectName: "openKeyCap"
                    label: "Ctrl"
                }
                KeyCap { label: "O" }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: "ABRIR"
                    font: Theme.condensedBold(11)
                    color: Theme.withAlpha(Theme.cream, 0.58)
                }
            }
        }

        ScrollArea {
            id: scrollArea
            objectName: "scrollArea"
            anchors.top: header.bottom
            anchors.bottom: parent.bottom
            width: parent.width
            contentHeight: content.implicitHeight
            barName: "Desplazar la ventana"

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
                        onRevealRequested: path => root.fileBrowser.reveal([path])
                        onAnnounced: message => announcer.say(message)
                        onClearRequested: root.clearQueue()
                    }
                    ControlCard {
                        id: controlCard
                        objectName: "controlCard"
                        width: (parent.width - parent.spacing) / 2
                        height: parent.height
                        compressor: root.model
                        onAnnounced: message => announcer.say(message)
                    }
                }

                ResultCard {
                    id: resultCard
                    objectName: "resultCard"
                    width: parent.width
                    visible: root.model.completedJobs.length > 0
                    compressor: root.model
                    lineWidth: 1 / root.canvasScale
                    onCompareRequested: job => root.comparisonJob = job
                    onClearRequested: root.clearQueue()
                }

                Row {
                    objectName: "privacyNote"
                    spacing: 7

                    Glyph {
                        anchors.verticalCenter: parent.verticalCenter
                        name: "lock"
                        size: 10
                        color: Theme.withAlpha(Theme.cream, 0.44)
                    }
                    StaticText {
                        objectName: "privacyText"
                        text: "TODO QUEDA EN TU ORDENADOR · CERO NUBES · CERO SERVIDORES TURBIOS · CERO MOVIDAS"
                        font: Theme.monospaced(9, Font.Bold)
                        color: Theme.withAlpha(Theme.cream, 0.44)
                    }
                }
            }
        }
    }

    // The comparison sheet, modal over the whole window, at its full size while the window
    // allows it. A dialog, so that assistive technology hears its title; the view shows it.
    Dialog {
        id: sheet
        objectName: "comparisonSheet"
        title: "BUSCA EL DESTROZO"
        header: null
        footer: null
        parent: T.Overlay.overlay
        anchors.centerIn: parent
        width: Math.min(parent.width, Math.max(900, 1080 * root.canvasScale))
        height: Math.min(parent.height, Math.max(650, 820 * root.canvasScale))
        padding: 0
        modal: true
        focus: true
        closePolicy: Popup.CloseOnEscape
        onClosed: root.closeComparison()
        T.Overlay.modal: Rectangle {
            color: Qt.rgba(0, 0, 0, 0.55)
        }

        contentItem: Loader {
            active: root.comparisonJob !== null
            sourceComponent: PDFComparisonView {
                objectName: "comparisonView"
                job: root.comparisonJob
                onDismiss: root.closeComparison()
            }
        }
    }

    Announcer {
        id: announcer
        objectName: "announcer"
    }

    // What the model says goes to assistive technology, which no view shows.
    Connections {
        target: root.model

        function onGlobalMessageChanged() {
            announcer.say(root.model.globalMessage)
        }
        function onIsWorkingChanged() {
            if (root.model.isWorking)
                return
            root.resultsToReveal = true
            root.Window.window.update()
            if (resultCard.visible)
                announcer.say(resultCard.summary)
        }
    }

    // The savings of a finished batch are shown, wherever the user had scrolled, once the frame
    // that shows them has laid them out: a card that first appears as the batch ends has no
    // place or size before that.
    Connections {
        target: root.Window.window

        function onAfterAnimating() {
            if (!root.resultsToReveal)
                return
            root.resultsToReveal = false
            if (resultCard.visible)
                scrollArea.reveal(resultCard)
        }
    }
}
