import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Zurbo

// The quick action's dark card: heading, percentage, commentary, the file in
// the engine, the bar, a picture and a footer that changes with the phase.
Rectangle {
    id: root

    required property FinderServiceProgressModel model
    required property FileBrowserReveal fileBrowser
    property color ink: Theme.ink
    property color acid: Theme.mint

    readonly property bool working: root.model.phase === "working"
    readonly property bool complete: root.model.phase === "complete"
    readonly property bool failed: root.model.phase === "failed"

    signal closeRequested()

    function savingsLine() {
        return "\u2212" + root.model.savings + "% · "
                + ByteText.format(root.model.originalBytes) + " \u2192 "
                + ByteText.format(root.model.outputBytes)
    }

    function percentText(progress) {
        return Math.trunc(progress * 100) + "%"
    }

    function workingNote() {
        const sources = root.model.sourceURLs.length
        return sources === 1 ? "PERFIL SIN PIEDAD · 150 PPP"
                             : root.model.completedCount + "/" + sources + " PDFS DOMADOS"
    }

    // Goes on from the locked file with the password typed, which the field then forgets.
    function continueWithPassword() {
        const password = passwordField.text
        passwordField.clear()
        root.model.continueWithPassword(password)
    }

    // The end of the run, for assistive technology, whatever has its focus.
    function announceEnd() {
        announcer.say([root.model.statusTitle.replace("\n", " "), root.model.statusPhrase,
                       root.complete ? root.savingsLine() : ""])
    }

    onFailedChanged: {
        if (failed)
            announceEnd()
    }
    onCompleteChanged: {
        if (complete)
            announceEnd()
    }

    implicitWidth: 570
    implicitHeight: 350
    color: root.ink

    component PlainButton: Text {
        id: plain

        signal clicked()

        font: Theme.condensedBold(11)
        color: Qt.rgba(1, 1, 1, 0.62)

        Pressable {
            text: plain.text
            cornerRadius: 4
            onClicked: plain.clicked()
        }
    }

    component CapsuleButton: Rectangle {
        id: capsule

        property alias text: label.text
        property int fontSize: 12

        signal clicked()

        implicitWidth: label.implicitWidth + 32
        implicitHeight: label.implicitHeight + 20
        baselineOffset: label.y + label.baselineOffset
        radius: height / 2
        color: root.acid

        Text {
            id: label
            anchors.centerIn: parent
            font: Theme.condensedBold(capsule.fontSize)
            color: root.ink
        }
        Pressable {
            text: label.text
            cornerRadius: capsule.radius
            onClicked: capsule.clicked()
        }
    }

    // Centred in the panel when shorter than it, as a stack of fixed rows is.
    Column {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: 26
        anchors.verticalCenter: parent.verticalCenter
        spacing: 18

        Item {
            width: parent.width
            height: Math.max(brand.height, badge.height)

            DisplayText {
                id: brand
                heading: true
                anchors.verticalCenter: parent.verticalCenter
                text: "ZURBO"
                size: 34
                color: root.acid
            }
            Rectangle {
                id: badge
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                width: badgeText.implicitWidth + 24
                height: badgeText.implicitHeight + 14
                radius: height / 2
                color: Qt.rgba(1, 1, 1, 0.09)

                StaticText {
                    id: badgeText
                    anchors.centerIn: parent
                    text: "ACCIÓN RÁPIDA · ARCHIVOS"
                    font: Theme.condensedBold(10)
                    color: Qt.rgba(1, 1, 1, 0.46)
                }
            }
        }

        Row {
            width: parent.width
            spacing: 18

            Column {
                id: status
                width: parent.width - illustration.width - parent.spacing
                spacing: 8

                Item {
                    width: parent.width
                    height: Math.max(title.height, percent.height)

                    DisplayText {
                        id: title
                        objectName: "statusTitle"
                        heading: true
                        text: root.model.statusTitle
                        size: 31
                        color: "white"
                    }
                    DisplayText {
                        id: percent
                        objectName: "percentText"
                        anchors.right: parent.right
                        text: root.percentText(root.model.progress)
                        size: 38
                        color: root.acid
                    }
                }
                StaticText {
                    objectName: "statusPhrase"
                    width: parent.width
                    wrapMode: Text.Wrap
                    text: root.model.statusPhrase
                    font: Theme.condensed(15)
                    color: Qt.rgba(1, 1, 1, 0.72)
                }
                // A locked file asks here; the run goes on from it with what is typed.
                TextField {
                    id: passwordField
                    objectName: "passwordField"
                    visible: root.failed && root.model.needsPassword
                    width: Math.min(parent.width, 240)
                    echoMode: TextInput.Password
                    placeholderText: "contraseña"
                    placeholderTextColor: Qt.rgba(1, 1, 1, 0.35)
                    font: Theme.condensed(13)
                    color: "white"
                    background: Rectangle {
                        radius: 6
                        color: Qt.rgba(1, 1, 1, 0.12)

                        FocusRing {
                            anchors.fill: parent
                            visible: passwordField.activeFocus
                            cornerRadius: 6
                        }
                    }
                    Accessible.role: Accessible.EditableText
                    Accessible.name: "Contraseña"
                    Accessible.description: root.model.statusPhrase
                    Accessible.passwordEdit: true
                    Accessible.ignored: !visible
                    onAccepted: root.continueWithPassword()
                    onVisibleChanged: {
                        if (visible)
                            forceActiveFocus()
                    }
                }
                StaticText {
                    objectName: "activeFile"
                    width: parent.width
                    visible: root.working
                    elide: Text.ElideMiddle
                    text: root.model.activeFile
                    font: Theme.condensed(11)
                    color: Qt.rgba(1, 1, 1, 0.4)
                }
                ProgressTrack {
                    width: parent.width
                    height: 12
                    color: Qt.rgba(1, 1, 1, 0.15)
                    fillColor: root.acid
                    duration: 250
                    progress: root.model.progress
                    name: title.Accessible.name
                }
            }

            Item {
                id: illustration
                width: 112
                height: 112

                HeroIllustration {
                    objectName: "heroIllustration"
                    anchors.centerIn: parent
                    visible: root.working
                    size: 112
                }
                MascotSprite {
                    objectName: "mascot"
                    anchors.centerIn: parent
                    visible: !root.working
                    mascotState: root.complete ? MascotSprite.Success : MascotSprite.Error
                    size: 106
                }
            }
        }

        // Both sides of the footer stand on the baseline of its first line.
        RowLayout {
            width: parent.width
            spacing: 14

            Column {
                id: footerLeading
                Layout.alignment: Qt.AlignBaseline
                Layout.fillWidth: true
                baselineOffset: root.working ? workingNote.baselineOffset
                              : root.complete ? savings.baselineOffset
                              : failureNote.baselineOffset
                spacing: 2

                StaticText {
                    id: workingNote
                    objectName: "workingNote"
                    visible: root.working
                    text: root.workingNote()
                    font: Theme.condensedBold(11)
                    color: Qt.rgba(1, 1, 1, 0.46)
                }
                DisplayText {
                    id: savings
                    objectName: "savingsLine"
                    visible: root.complete
                    text: root.savingsLine()
                    size: 16
                    color: "white"
                }
                StaticText {
                    objectName: "readyNote"
                    visible: root.complete
                    text: root.model.outputURLs.length === 1 ? "PDF LISTO PARA SALIR"
                                                             : "PDFS LISTOS PARA SALIR"
                    font: Theme.condensed(10)
                    color: Qt.rgba(1, 1, 1, 0.45)
                }
                StaticText {
                    id: failureNote
                    objectName: "failureNote"
                    visible: root.failed
                    text: "EL PDF SE HA PUESTO DIGNO"
                    font: Theme.condensedBold(11)
                    color: Qt.rgba(1, 1, 1, 0.48)
                }
            }
            PlainButton {
                objectName: "hideButton"
                Layout.alignment: Qt.AlignBaseline
                visible: root.working
                text: "OCULTAR"
                onClicked: root.closeRequested()
            }
            CapsuleButton {
                objectName: "revealButton"
                Layout.alignment: Qt.AlignBaseline
                visible: root.complete
                text: "MOSTRAR EN CARPETA"
                onClicked: root.fileBrowser.reveal(root.model.outputPaths)
            }
            PlainButton {
                objectName: "closeButton"
                Layout.alignment: Qt.AlignBaseline
                visible: root.complete
                text: "CERRAR"
                onClicked: root.closeRequested()
            }
            CapsuleButton {
                objectName: "passwordButton"
                Layout.alignment: Qt.AlignBaseline
                visible: passwordField.visible
                text: "COMPRIMIR"
                fontSize: 11
                onClicked: root.continueWithPassword()
            }
            CapsuleButton {
                objectName: "failedCloseButton"
                Layout.alignment: Qt.AlignBaseline
                visible: root.failed
                text: "CERRAR"
                fontSize: 11
                onClicked: root.closeRequested()
            }
        }
    }

    Announcer {
        id: announcer
        objectName: "announcer"
    }
}
