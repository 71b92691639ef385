import QtQuick
import QtQuick.Controls.Basic
import Zurbo

// The white card: how hard to squeeze, where the result goes, the console and the button.
Rectangle {
    id: root

    required property CompressorModel compressor

    readonly property bool queueEmpty: compressor.queue.count === 0

    radius: 34
    color: Theme.butter

    // Why the text last typed as the target was refused; empty when it was taken.
    property string targetRefusal

    // News for assistive technology: a refused target.
    signal announced(string message)

    // The target field's text becomes the model's target. A refused text leaves the target as
    // it was, shown again, and says why. False when the text was refused.
    function commitTarget() {
        if (!compressor.targetEnabled)
            return true
        targetRefusal = compressor.setTargetText(targetField.text)
        targetField.text = compressor.targetText
        root.announced(targetRefusal)
        return targetRefusal === ""
    }

    // What the button and the menu command do: the batch runs with the value on screen, even
    // when the field still has the focus; a refused value starts nothing, so that the user sees
    // why first.
    function compressAll() {
        if (commitTarget())
            compressor.compressAll()
    }

    // The settings on top, the console and the button at the bottom, laid out once for every
    // state: the console keeps room for its mascot and file name even while they are hidden.
    Item {
        id: content

        anchors.fill: parent
        anchors.margins: 22

        Column {
            id: stack
            width: parent.width
            spacing: 10

            DisplayText {
                width: parent.width
                wrapMode: Text.Wrap
                heading: true
                text: "¿CUÁNTO LO\nADELGAZAMOS?"
                size: 44
                color: Theme.ink
            }
            StaticText {
                width: parent.width
                wrapMode: Text.Wrap
                text: "Textos y vectores se quedan intactos, que los creadores también son diseñadores..."
                font: Theme.condensed(12)
                color: Theme.withAlpha(Theme.ink, 0.62)
            }

            Row {
                objectName: "targetModePills"
                width: parent.width
                spacing: 7
                enabled: !root.compressor.isWorking

                ModePill {
                    objectName: "qualityPill"
                    width: (parent.width - parent.spacing) / 2
                    title: "POR CALIDAD"
                    selected: !root.compressor.targetEnabled
                    onActivated: root.compressor.targetEnabled = false
                }
                ModePill {
                    objectName: "targetPill"
                    width: (parent.width - parent.spacing) / 2
                    title: "PESO OBJETIVO"
                    selected: root.compressor.targetEnabled
                    onActivated: root.compressor.targetEnabled = true
                }
            }

            Rectangle {
                objectName: "targetBox"
                visible: root.compressor.targetEnabled
                width: parent.width
                height: targetContent.implicitHeight + 26
                radius: 20
                color: Theme.ink

                Column {
                    id: targetContent
                    anchors.fill: parent
                    anchors.margins: 13
                    spacing: 8

                    Row {
                        width: parent.width
                        spacing: 12

                        Column {
                            anchors.verticalCenter: parent.verticalCenter
                            width: parent.width - targetField.width - megabytes.width
                                   - 2 * parent.spacing
                            spacing: 3

                            Text {
                                text: "QUE PESE MENOS DE"
                                font: Theme.monospaced(9, Font.Black)
                                color: Theme.withAlpha(Theme.cream, 0.5)
                            }
                            Text {
                                id: targetGuide
                                width: parent.width
                                wrapMode: Text.Wrap
                                text: "Buscaremos la mejor calidad que entre. Sin hachazos gratuitos."
                                font: Theme.system(9, Font.Medium)
                                color: Theme.withAlpha(Theme.cream, 0.62)
                            }
                        }
                        // Nothing typed is dropped or changed on the way: the whole text is
                        // read when it is committed, and refused with a reason if need be.
                        TextField {
                            id: targetField
                            objectName: "targetField"
                            anchors.verticalCenter: parent.verticalCenter
                            width: Math.ceil(widestTarget.advanceWidth) + leftPadding + rightPadding
                            horizontalAlignment: TextInput.AlignRight
                            maximumLength: 16
                            placeholderText: "10"
                            placeholderTextColor: Theme.withAlpha(Theme.cream, 0.3)
                            text: root.compressor.targetText
                            font: Theme.monospaced(22, Font.Black)
                            color: Theme.cream
                            background: FocusRing {
                                visible: targetField.activeFocus
                                cornerRadius: 6
                            }
                            Accessible.role: Accessible.EditableText
                            Accessible.name: "QUE PESE MENOS DE"
                            Accessible.description: megabytes.text + ". " + targetGuide.text
                            Accessible.ignored: !visible
                            onEditingFinished: root.commitTarget()

                            TextMetrics {
                                id: widestTarget
                                font: targetField.font
                                text: "999999,9"
                            }
                        }
                        Text {
                            id: megabytes
                            anchors.verticalCenter: parent.verticalCenter
                            text: "MB"
                            font: Theme.monospaced(11, Font.Black)
                            color: Theme.cream
                        }
                    }
                    StaticText {
                        objectName: "targetRefusal"
                        width: parent.width
                        visible: root.targetRefusal !== ""
                        wrapMode: Text.Wrap
                        text: root.targetRefusal
                        font: Theme.system(9, Font.Bold)
                        color: Theme.mint
                    }
                }
            }

            Column {
                objectName: "profileKeys"
                visible: !root.compressor.targetEnabled
                width: parent.width
                spacing: 7

                Repeater {
                    model: ["respectful", "balanced", "demolition"]

                    ProfileKey {
                        required property string modelData

                        objectName: "profileKey_" + modelData
                        width: parent.width
                        profile: modelData
                        selected: root.compressor.profile === modelData
                        estimate: root.queueEmpty ? ""
                                  : "≈ " + ByteText.format(root.compressor.estimates[modelData])
                        onActivated: root.compressor.profile = modelData
                    }
                }
            }

            Item {
                objectName: "metadataRow"
                width: parent.width
                height: Math.max(metadataLabels.implicitHeight, metadataSwitch.height)
                enabled: !root.compressor.isWorking

                Column {
                    id: metadataLabels
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 2

                    DisplayText {
                        text: "BORRAR METADATOS Y RASTROS"
                        size: 15
                        color: Theme.ink
                        Accessible.ignored: true
                    }
                    Text {
                        id: metadataNote
                        text: "Autor, programa de origen y demás cotilleos invisibles."
                        font: Theme.condensed(9)
                        color: Theme.withAlpha(Theme.ink, 0.52)
                    }
                }
                // A switch drawn as a pill, so that assistive technology hears it as the other
                // controls: its name, whether it is on, and whether it is disabled.
                Rectangle {
                    id: metadataSwitch
                    objectName: "metadataSwitch"
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    width: 44
                    height: 24
                    radius: 12
                    color: root.compressor.cleanMetadata ? Theme.orange : Theme.pillGray
                    border.color: Theme.withAlpha(Theme.ink, 0.2)
                    opacity: enabled ? 1 : 0.5

                    Rectangle {
                        x: root.compressor.cleanMetadata ? parent.width - width - 2 : 2
                        anchors.verticalCenter: parent.verticalCenter
                        width: 20
                        height: 20
                        radius: 10
                        color: Theme.cream
                        border.color: Theme.withAlpha(Theme.ink, 0.3)
                    }
                    Pressable {
                        text: "BORRAR METADATOS Y RASTROS"
                        Accessible.description: metadataNote.text
                        Accessible.role: Accessible.CheckBox
                        Accessible.checkable: true
                        Accessible.checked: root.compressor.cleanMetadata
                        cornerRadius: 12
                        onClicked: root.compressor.cleanMetadata = !root.compressor.cleanMetadata
                    }
                }
            }

            Column {
                objectName: "exportBlock"
                width: parent.width
                spacing: 6
                enabled: !root.compressor.isWorking

                DisplayText {
                    heading: true
                    text: "¿CÓMO SALE?"
                    size: 14
                    color: Theme.ink
                }
                Row {
                    width: parent.width
                    spacing: 7

                    ModePill {
                        objectName: "replacePill"
                        width: (parent.width - parent.spacing) / 2
                        title: "SUSTITUIR ORIGINAL"
                        selected: root.compressor.exportMode === "replaceOriginal"
                        onActivated: root.compressor.exportMode = "replaceOriginal"
                    }
                    ModePill {
                        objectName: "chooseNamePill"
                        width: (parent.width - parent.spacing) / 2
                        title: "OTRO NOMBRE"
                        selected: root.compressor.exportMode === "chooseName"
                        onActivated: root.compressor.exportMode = "chooseName"
                    }
                }
                StaticText {
                    objectName: "exportNote"
                    text: root.compressor.exportMode === "chooseName"
                          ? "Te preguntaremos el nombre antes de empezar."
                          : "El original será reemplazado. Sin copia fantasma."
                    font: Theme.condensed(9)
                    color: Theme.withAlpha(Theme.ink, 0.52)
                }
            }
        }

        Column {
            id: bottom
            width: parent.width
            anchors.bottom: parent.bottom
            spacing: 10

            ConsoleView {
                objectName: "console"
                width: parent.width
                compressor: root.compressor
            }
            PhysicalActionButton {
                objectName: "actionButton"
                width: parent.width
                title: root.compressor.isWorking ? "APRETANDO TU PDF" : "ZURBO THIS PDF"
                subtitle: root.compressor.isWorking ? "ahora no toques nada, artista"
                                                    : "CTRL  ENTER  ·  empezar la escabechina"
                disabled: root.compressor.isWorking || root.queueEmpty
                onActivated: root.compressAll()
            }
        }
    }
}
