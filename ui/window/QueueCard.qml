import QtQuick
import Zurbo

// The acid-green card: the queue's title and either the drop zone or the tiles.
Rectangle {
    id: root

    required property CompressorModel compressor

    readonly property int jobCount: compressor.queue.count

    signal compareRequested(var job)
    signal revealRequested(string path)
    signal clearRequested()
    // News of a job for assistive technology: it started, failed or completed.
    signal announced(string message)

    radius: 32
    color: Theme.mint

    Column {
        id: stack
        anchors.fill: parent
        anchors.margins: 22
        spacing: 17

        Item {
            width: parent.width
            height: Math.max(titles.implicitHeight, hero.height)

            Column {
                id: titles
                width: parent.width - hero.width
                spacing: 3

                DisplayText {
                    objectName: "queueTitle"
                    heading: true
                    text: root.jobCount === 0 ? "PDFS CON\nSOBREPESO" : "LA COLA DEL\nMATADERO"
                    size: 46
                    color: Theme.ink
                }
                StaticText {
                    objectName: "queueSubtitle"
                    width: parent.width
                    wrapMode: Text.Wrap
                    text: root.jobCount === 0 ? "Se aceptan uno, veinte o una barbaridad."
                          : root.jobCount + " archivo" + (root.jobCount === 1 ? "" : "s")
                            + " esperando su destino."
                    font: Theme.condensed(12)
                    color: Theme.withAlpha(Theme.ink, 0.62)
                }
            }

            HeroIllustration {
                id: hero
                anchors.right: parent.right
                size: 166
            }
        }

        Column {
            objectName: "emptyQueue"
            width: parent.width
            spacing: 17
            visible: root.jobCount === 0

            DropZone {
                objectName: "dropZone"
                width: parent.width
                targeted: root.compressor.isDropTargeted
                onActivated: root.compressor.chooseFiles()
            }
            StaticText {
                x: 42
                width: Math.min(360, parent.width - 84)
                wrapMode: Text.Wrap
                text: "Creemos esta herramienta porque estábamos hasta los cojones de Figma y sus PDFs de 7564 kilos de peso..."
                font: Theme.condensed(14)
                color: Theme.withAlpha(Theme.ink, 0.86)
            }
            StaticText {
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                text: "Hecho en casa, sin nubes ni suscripciones.\nTus PDFs no salen de este ordenador."
                font: Theme.condensed(13)
                color: Theme.withAlpha(Theme.ink, 0.86)
            }
        }

        ScrollArea {
            objectName: "jobTiles"
            width: parent.width
            height: stack.height - y - bottomButtons.height - stack.spacing
            visible: root.jobCount > 0
            contentHeight: tiles.implicitHeight
            indicatorColor: Theme.withAlpha(Theme.ink, 0.35)
            barName: "Desplazar la cola"

            Column {
                id: tiles
                width: parent.width
                spacing: 8

                Repeater {
                    model: root.compressor.queue

                    JobTile {
                        required property var model
                        required property int index

                        objectName: "jobTile" + index
                        width: tiles.width
                        job: model
                        busy: root.compressor.isWorking
                        onAnnounced: message => root.announced(message)
                        onRemove: root.compressor.remove(model.id)
                        onPasswordEntered: password => root.compressor.setPassword(model.id, password)
                        onCompare: root.compareRequested(root.compressor.queue.get(index))
                        onReveal: {
                            if (model.output)
                                root.revealRequested(model.output)
                        }
                    }
                }
            }
        }

        // With nothing completed there is no result card, nor its LIMPIAR: failed files are
        // cleared from here.
        Row {
            id: bottomButtons
            width: parent.width
            spacing: 8
            visible: root.jobCount > 0

            CapsuleButton {
                objectName: "moreButton"
                width: parent.width - (clearButton.visible ? clearButton.width + parent.spacing : 0)
                enabled: !root.compressor.isWorking
                icon: "plus"
                label: "METER MÁS CARNE"
                onActivated: root.compressor.chooseFiles()
            }
            CapsuleButton {
                id: clearButton
                objectName: "clearFailed"
                width: 140
                visible: !root.compressor.isWorking && root.compressor.hasFailedJobs
                         && root.compressor.completedJobs.length === 0
                icon: "trashSlash"
                label: "LIMPIAR"
                onActivated: root.clearRequested()
            }
        }
    }

    component CapsuleButton: Rectangle {
        id: button

        // A Glyph's name.
        property string icon
        property string label

        signal activated()

        height: caption.implicitHeight + 22
        radius: height / 2
        color: Theme.withAlpha(Theme.cream, 0.72)
        opacity: enabled ? 1 : 0.5

        Row {
            anchors.centerIn: parent
            spacing: 6

            Glyph {
                anchors.verticalCenter: parent.verticalCenter
                name: button.icon
                size: 11
            }
            Text {
                id: caption
                text: button.label
                font: Theme.system(11, Font.Black)
                color: Theme.ink
            }
        }
        Pressable {
            text: button.label
            cornerRadius: button.radius
            onClicked: button.activated()
        }
    }
}
