import QtQuick
import QtQuick.Controls.Basic
import Zurbo

// One row of the queue: a job's name, state and the buttons its state offers.
Rectangle {
    id: root

    // The job's fields by role name: fileName, state, originalBytes, ...
    property var job
    property color ink: Theme.ink
    property color cream: Theme.cream
    property color orange: Theme.orange
    // A batch is running: nothing leaves the queue until it ends.
    property bool busy

    readonly property string statusText: describe()
    readonly property string jobState: job.state

    signal reveal()
    signal compare()
    signal remove()
    // The user typed the password of a locked file, for its next run.
    signal passwordEntered(string password)
    // The job started, failed or completed, in the words the tile shows.
    signal announced(string message)

    // Which engine made the output, in a few words.
    function madeBy(engine) {
        switch (engine) {
        case "ghostscript":
            return " · hecho con Ghostscript"
        case "qpdf":
            return " · hecho con qpdf"
        case "native":
            return " · hecho en casa"
        }
        return ""
    }

    // The status line from the job as it is now.
    function describe() {
        switch (job.state) {
        case "waiting":
            return ByteText.format(job.originalBytes) + " · en el corredor"
        case "compressing":
            return "perdiendo kilos digitales"
        case "complete":
            return ByteText.format(job.originalBytes) + " → "
                    + ByteText.format(job.outputBytes ?? 0) + " · −" + (job.savings ?? 0) + "%"
                    + (job.targetReached === false ? " · objetivo no alcanzado" : "")
                    + madeBy(job.engine)
        default:
            return job.message
        }
    }

    onJobStateChanged: {
        if (jobState !== "waiting")
            root.announced(root.job.fileName + ": " + root.describe())
    }

    implicitHeight: Math.max(badge.height, texts.implicitHeight) + 20
    radius: 18
    color: Qt.rgba(1, 1, 1, 0.72)

    Rectangle {
        id: badge
        anchors.left: parent.left
        anchors.leftMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        width: 33
        height: 39
        radius: 8
        color: root.ink

        // The badge is decoration: assistive technology reads the name beside it.
        Text {
            anchors.centerIn: parent
            text: "PDF"
            font: Theme.system(8, Font.Black)
            color: root.cream
        }
    }

    Column {
        id: texts
        anchors.left: badge.right
        anchors.leftMargin: 10
        anchors.right: trailing.left
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        spacing: 3

        StaticText {
            objectName: "fileName"
            width: parent.width
            text: root.job.fileName
            font: Theme.system(11, Font.Bold)
            color: root.ink
            elide: Text.ElideMiddle
            maximumLineCount: 1
        }
        StaticText {
            objectName: "statusText"
            width: parent.width
            text: root.statusText
            font: Theme.monospaced(9, Font.DemiBold)
            color: Theme.withAlpha(root.ink, 0.55)
            elide: Text.ElideRight
            wrapMode: passwordField.visible ? Text.Wrap : Text.NoWrap
            maximumLineCount: passwordField.visible ? 2 : 1
        }
        // A locked file asks here; what is typed goes with the next run only.
        TextField {
            id: passwordField
            objectName: "passwordField"
            visible: root.job.state === "failed" && root.job.needsPassword === true && !root.busy
            width: Math.min(parent.width, 220)
            echoMode: TextInput.Password
            placeholderText: "contraseña"
            placeholderTextColor: Theme.withAlpha(root.ink, 0.35)
            font: Theme.monospaced(10, Font.DemiBold)
            color: root.ink
            background: Rectangle {
                radius: 6
                color: Theme.withAlpha(root.ink, 0.08)

                FocusRing {
                    anchors.fill: parent
                    visible: passwordField.activeFocus
                    cornerRadius: 6
                }
            }
            Accessible.role: Accessible.EditableText
            Accessible.name: "Contraseña de " + root.job.fileName
            Accessible.description: root.job.message
            Accessible.passwordEdit: true
            Accessible.ignored: !visible
            onTextEdited: root.passwordEntered(text)
            onVisibleChanged: {
                if (!visible)
                    clear()
            }
        }
    }

    // Shows the one control of the job's state: a waiting or failed job can leave the queue.
    Row {
        id: trailing
        anchors.right: parent.right
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter

        Glyph {
            objectName: "removeButton"
            visible: root.job.state === "waiting" || (root.job.state === "failed" && !root.busy)
            name: "xmark"
            size: 14
            color: Theme.withAlpha(root.ink, 0.4)

            Pressable {
                Accessible.name: "Quitar " + root.job.fileName + " de la cola"
                cornerRadius: 4
                onClicked: root.remove()
            }
        }

        StaticText {
            objectName: "progressText"
            visible: root.job.state === "compressing"
            text: Math.max(0, Math.trunc(root.job.progress * 100)) + "%"
            font: Theme.monospaced(10, Font.Black)
            color: root.orange
        }

        Rectangle {
            visible: root.job.state === "complete"
            width: actions.implicitWidth + 18
            height: actions.implicitHeight + 14
            radius: height / 2
            color: root.ink

            Row {
                id: actions
                anchors.centerIn: parent
                spacing: 5

                Glyph {
                    objectName: "compareButton"
                    anchors.verticalCenter: parent.verticalCenter
                    name: "splitRectangle"
                    size: 12
                    color: root.cream

                    Pressable {
                        Accessible.name: "Comparar " + root.job.fileName + " antes y después"
                        cornerRadius: 3
                        onClicked: root.compare()
                    }
                }
                Text {
                    objectName: "revealButton"
                    text: "VER"
                    font: Theme.system(9, Font.Black)
                    color: root.cream

                    Pressable {
                        text: parent.text
                        Accessible.name: "Ver " + root.job.fileName + " en su carpeta"
                        cornerRadius: 3
                        onClicked: root.reveal()
                    }
                }
            }
        }
    }
}
