import QtQuick
import Zurbo

// The progress console: what the machine is doing, in its own words.
Rectangle {
    id: root

    required property CompressorModel compressor

    readonly property var phrases: [
        "Calentando la trituradora de megas…",
        "Negociando con imágenes que ocupan un chalet…",
        "Peinando tipografías. Ni una se queda calva.",
        "Persiguiendo vectores con una chancla…",
        "Quitando aire premium del PDF…",
        "Comprimiendo sin convertirlo en una patata…",
        "Guardando el cadáver con dignidad…"
    ]
    readonly property var activeJob: compressor.activeJob
    readonly property bool hasActiveJob: activeJob !== undefined && activeJob !== null
    readonly property int mascotState: compressor.hasFailedJobs ? MascotSprite.Error
        : compressor.isWorking ? MascotSprite.Compressing
        : compressor.completedJobs.length > 0 ? MascotSprite.Success
        : MascotSprite.Idle
    readonly property string statusTitle: compressor.isWorking ? "TORTURA EN CURSO"
        : compressor.queue.count > 0 ? "TODO LISTO PARA LIARLA"
        : "ESPERANDO UNA VÍCTIMA"
    // Advances with the active job's progress, not with time.
    readonly property string phrase: hasActiveJob
        ? phrases[Math.min(6, Math.trunc(activeJob.progress * 7))]
        : compressor.completedJobs.length > 0 ? "PDF domado. Puedes recoger los restos."
        : compressor.queue.count > 0 ? "Tres, dos, uno… cuando tú quieras."
        : "Échame un PDF,\ntengo hambre."

    implicitHeight: stack.implicitHeight + 34
    radius: 24
    color: Theme.mint

    Column {
        id: stack
        anchors.fill: parent
        anchors.margins: 17
        spacing: 8

        Item {
            width: parent.width
            height: Math.max(status.height, percentage.height)

            Rectangle {
                id: dot
                anchors.verticalCenter: parent.verticalCenter
                width: 8
                height: 8
                radius: 4
                color: Theme.ink
            }
            DisplayText {
                id: status
                objectName: "consoleTitle"
                heading: true
                anchors.left: dot.right
                anchors.leftMargin: 8
                anchors.right: percentage.left
                anchors.verticalCenter: parent.verticalCenter
                text: root.statusTitle
                size: 25
                color: Theme.ink
                wrapMode: Text.Wrap
                maximumLineCount: 2
            }
            DisplayText {
                id: percentage
                objectName: "consolePercentage"
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                text: Math.max(0, Math.trunc(root.compressor.overallProgress * 100)) + "%"
                size: 43
                color: Theme.ink
            }
        }

        // The mascot's room is kept while it is hidden, so that nothing moves when it shows.
        Item {
            width: parent.width
            height: Math.max(phrase.height, mascot.height)

            StaticText {
                id: phrase
                objectName: "consolePhrase"
                width: parent.width - mascot.width - 10
                height: Math.max(48, implicitHeight)
                text: root.phrase
                font: Theme.condensed(17)
                color: Theme.ink
                wrapMode: Text.Wrap
                maximumLineCount: 2
                verticalAlignment: Text.AlignTop
            }
            MascotSprite {
                id: mascot
                objectName: "consoleMascot"
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                visible: root.compressor.isWorking || root.mascotState === MascotSprite.Error
                mascotState: root.mascotState
                size: 64
            }
        }

        ProgressTrack {
            width: parent.width
            height: 11
            color: Theme.withAlpha(Theme.cream, 0.58)
            fillColor: Theme.ink
            duration: 350
            progress: root.compressor.overallProgress
            name: root.statusTitle
        }

        // Its line stays when no job is active, empty.
        StaticText {
            objectName: "activeFileName"
            width: parent.width
            text: root.hasActiveJob ? root.activeJob.fileName : ""
            elide: Text.ElideMiddle
            font: Theme.condensed(9)
            color: Theme.withAlpha(Theme.ink, 0.54)
        }
    }
}
